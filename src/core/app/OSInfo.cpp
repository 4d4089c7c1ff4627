#include "app/OSInfo.h"

#include <strings.h>

namespace kelvo {

namespace {

constexpr unsigned kShutDown = 1, kReboot = 2, kPowerOff = 8;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && ::strcasecmp(a.c_str(), b.c_str()) == 0;
}

} // namespace

std::string FileNamePart(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

TOSInfoClass::TOSInfoClass(ProcessTable& processes, SessionControl& session)
    : processes_(processes), session_(session) {}

TOSInfoClass& TOSInfoClass::Instance() {
    static TOSInfoClass instance(TheProcessTable(), TheSessionControl());
    return instance;
}

bool TOSInfoClass::EnablePrivilege(const std::string&, bool) {
    return true;
}

bool TOSInfoClass::ExitWindowsPrivileged(unsigned flags) {
    if (!EnablePrivilege("SeShutdownPrivilege", true))
        return false;
    bool done = false;
    if (flags & (kShutDown | kPowerOff))
        done = session_.PowerOff();
    else if (!(flags & kReboot))
        done = session_.LogOff();
    EnablePrivilege("SeShutdownPrivilege", false);
    return done;
}

void TOSInfoClass::ListProcessPaths(std::vector<std::string>* paths) {
    if (!paths)
        return;
    for (const ProcessInfo& process : processes_.List())
        paths->push_back(process.Path);
}

bool TOSInfoClass::IsProcessRunning(const std::string& name, bool compareFullPath) {
    for (const ProcessInfo& process : processes_.List())
        if (SameIgnoringCase(compareFullPath ? process.Path : FileNamePart(process.Path), name))
            return true;
    return false;
}

void TOSInfoClass::KillProcessByName(const std::string& name, const std::string& alternative) {
    const pid_t self = processes_.SelfPid();
    const uid_t user = processes_.SelfUid();
    bool selfMatches = false;
    for (const ProcessInfo& process : processes_.List()) {
        const std::string file = FileNamePart(process.Path);
        if (file != name && file != alternative)
            continue;
        if (process.Pid == self)
            selfMatches = true;
        else if (process.Uid == user)
            processes_.Terminate(process.Pid);
    }
    if (selfMatches)
        processes_.ExitSelf(1);
}

} // namespace kelvo
