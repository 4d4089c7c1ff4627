#include "platform/posix/ProcProcessTable.h"

#include "platform/FileIO.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kelvo {

namespace {

bool RealUidOf(pid_t pid, uid_t& uid) {
    auto status = ReadWholeFile("/proc/" + std::to_string(pid) + "/status");
    if (!status)
        return false;
    const size_t line = status->find("\nUid:");
    if (line == std::string::npos)
        return false;
    uid = static_cast<uid_t>(std::strtoul(status->c_str() + line + 5, nullptr, 10));
    return true;
}

std::string ExecutableOf(pid_t pid) {
    char buffer[4096];
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    std::string path(buffer, static_cast<size_t>(n));
    constexpr std::string_view kDeleted = " (deleted)"; // replaced since it started
    if (path.size() > kDeleted.size() && path.ends_with(kDeleted))
        path.resize(path.size() - kDeleted.size());
    return path;
}

bool IsGone(pid_t pid) {
    // Reap it when it is our own child, so that it does not linger as a zombie.
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid)
        return true;
    if (::kill(pid, 0) != 0 && errno == ESRCH)
        return true;
    auto stat = ReadWholeFile("/proc/" + std::to_string(pid) + "/stat");
    if (!stat)
        return true;
    const size_t close = stat->rfind(')');
    return close != std::string::npos && close + 2 < stat->size() && (*stat)[close + 2] == 'Z';
}

} // namespace

std::vector<ProcessInfo> ProcProcessTable::List() {
    std::vector<ProcessInfo> processes;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return processes;
    while (dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0')
            continue;
        ProcessInfo info;
        info.Pid = static_cast<pid_t>(pid);
        info.Path = ExecutableOf(info.Pid);
        if (!info.Path.empty() && RealUidOf(info.Pid, info.Uid))
            processes.push_back(std::move(info));
    }
    ::closedir(proc);
    return processes;
}

bool ProcProcessTable::Terminate(pid_t pid) {
    if (::kill(pid, SIGTERM) != 0)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < deadline) {
        if (IsGone(pid))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    return true;
}

pid_t ProcProcessTable::SelfPid() {
    return ::getpid();
}

uid_t ProcProcessTable::SelfUid() {
    return ::getuid();
}

void ProcProcessTable::ExitSelf(int code) {
    std::exit(code);
}

ProcessTable& TheProcessTable() {
    static ProcProcessTable table;
    return table;
}

} // namespace kelvo
