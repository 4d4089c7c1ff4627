#pragma once

#include <optional>
#include <string>

namespace kelvo {

// The value of an environment variable, empty when unset.
std::string EnvironmentValue(const char* name);

std::string HomeFolder();
std::string XdgConfigHome();
std::string XdgDataHome();
std::string XdgRuntimeDir();    // empty when the session has none
std::string SystemTempFolder(); // $TMPDIR or /tmp, without trailing "/"

std::string ExecutablePath();
std::string ExecutableFolder(); // with a trailing "/"

// The logon name of the process's user; nothing when it cannot be found.
std::optional<std::string> LogonUserName();

bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
bool IsWritableFolder(const std::string& path);
// Creates the folder and its missing parents; true when it exists afterwards.
bool CreateFolders(const std::string& path);
bool SetCurrentFolder(const std::string& path);
// Copies source to target unless target exists; never overwrites, also when
// another process creates target at the same moment.
bool CopyFileIfMissing(const std::string& source, const std::string& target);

// A folder path with exactly one trailing "/".
std::string WithTrailingSlash(std::string path);

} // namespace kelvo
