#pragma once

#include "platform/ProcessTable.h"
#include "platform/SessionControl.h"

#include <string>
#include <vector>

namespace kelvo {

// Operating-system utilities: privileges, log off and power off, the process
// list, and ending running copies of the program.
class TOSInfoClass {
public:
    // Exit flags as callers pass them: log off + force, shut down + power off.
    static constexpr unsigned kLogOffForce = 4;
    static constexpr unsigned kShutDownPowerOff = 9;

    TOSInfoClass(ProcessTable& processes, SessionControl& session);
    static TOSInfoClass& Instance();

    // Nothing needs adjusting here: the session manager decides who may power off.
    bool EnablePrivilege(const std::string& privilege, bool enable);
    bool ExitWindowsPrivileged(unsigned flags);
    void ListProcessPaths(std::vector<std::string>* paths);
    // By file name, or with compareFullPath by the whole path; letter case ignored.
    bool IsProcessRunning(const std::string& name, bool compareFullPath);
    // Ends every process of our own user whose file name is exactly one of the
    // two; when this process is among them it ends last, with exit code 1.
    void KillProcessByName(const std::string& name, const std::string& alternative);

private:
    ProcessTable& processes_;
    SessionControl& session_;
};

std::string FileNamePart(const std::string& path);

} // namespace kelvo
