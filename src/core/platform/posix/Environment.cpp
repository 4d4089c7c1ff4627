#include "platform/Environment.h"

#include "platform/FileIO.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvo {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string HomeFolder() {
    std::string home = EnvironmentValue("HOME");
    if (!home.empty())
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

namespace {

std::string XdgFolder(const char* variable, const char* fallback) {
    std::string value = EnvironmentValue(variable);
    if (!value.empty() && value[0] == '/')
        return value;
    return HomeFolder() + "/" + fallback;
}

} // namespace

std::string XdgConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string XdgDataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string XdgRuntimeDir() {
    std::string value = EnvironmentValue("XDG_RUNTIME_DIR");
    return !value.empty() && value[0] == '/' && IsFolder(value) ? value : "";
}

std::string SystemTempFolder() {
    std::string value = EnvironmentValue("TMPDIR");
    while (value.size() > 1 && value.back() == '/')
        value.pop_back();
    return !value.empty() && IsFolder(value) ? value : "/tmp";
}

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    return n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : "";
}

std::string ExecutableFolder() {
    const std::string path = ExecutablePath();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::optional<std::string> LogonUserName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &result) != 0 || !result ||
        !entry.pw_name || !entry.pw_name[0])
        return std::nullopt;
    return std::string(entry.pw_name);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsWritableFolder(const std::string& path) {
    return IsFolder(path) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool CreateFolders(const std::string& path) {
    if (path.empty())
        return false;
    if (IsFolder(path))
        return true;
    std::string partial;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos)
            slash = path.size();
        partial = path.substr(0, slash);
        if (!partial.empty() && ::mkdir(partial.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        start = slash + 1;
    }
    return IsFolder(path);
}

bool SetCurrentFolder(const std::string& path) {
    return ::chdir(path.c_str()) == 0;
}

bool CopyFileIfMissing(const std::string& source, const std::string& target) {
    if (IsFile(target))
        return false;
    auto data = ReadWholeFile(source);
    if (!data)
        return false;
    // Write beside, then link: link() refuses to replace a file that appeared meanwhile.
    const std::string temporary = target + ".copy-" + std::to_string(::getpid());
    if (!WriteFileAtomically(temporary, *data))
        return false;
    const bool linked = ::link(temporary.c_str(), target.c_str()) == 0;
    ::unlink(temporary.c_str());
    return linked;
}

std::string WithTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

} // namespace kelvo
