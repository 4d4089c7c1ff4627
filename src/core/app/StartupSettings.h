#pragma once

#include "platform/RegistryStore.h"

#include <string>
#include <vector>

namespace kelvo {

// The registry key of the product's per-user and machine values.
constexpr const char* kProductKey = "Software\\Drevan Solutions\\Kelvo Backup";

struct CommandSwitches {
    bool Uninstall = false;  // "/UNINSTALL" anywhere, any case
    bool Startup = false;    // "/STARTUP" anywhere, any case
    bool LogonStart = false; // the first argument is exactly "/startup"
};

// Program arguments without the program name.
CommandSwitches ScanSwitches(const std::vector<std::string>& arguments);

// The process-wide settings every part relies on; fixed once at start.
struct StartupSettings {
    CommandSwitches Switches;
    std::string LogonUser = "_";
    std::string InstallPath;  // with a trailing "/"
    std::string TasksFolder;  // InstallPath + "Tasks/"
    std::string BackupFolder; // InstallPath + "Backup"
    int LanguageId = 1033;

    // Settles the user, the installation folder (made current), the fixed
    // folders and the language, and activates the language's texts.
    static StartupSettings Establish(const std::vector<std::string>& arguments,
                                     RegistryStore& registry);
};

// "_" when the logon name cannot be obtained or is too long to ask for.
std::string ResolveLogonUser();
// KELVOBACKUP_HOME; the registry's InstallPath (per user, then machine) when it
// names a folder; the executable's folder when writable; else
// $XDG_DATA_HOME/KelvoBackup. With a trailing "/".
std::string ResolveInstallPath(RegistryStore& registry);
// The Language value of the product key, 1033 when it cannot be read; the key
// is created when missing.
int ReadLanguageId(RegistryStore& registry);
// Creates Tasks/ (with default.kbt copied in when missing, from the data
// folder or else from beside the program) and Backup;
// failures are left for later operations to report.
void PrepareFolders(StartupSettings& settings);

// The settings of this process, as the host established them.
StartupSettings& CurrentStartup();

} // namespace kelvo
