#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace kelvo {

struct ProcessInfo {
    pid_t Pid = 0;
    uid_t Uid = 0;    // real user
    std::string Path; // full executable path
};

// The running processes that this process may inspect, and the means to end
// them. Terminate is only ever called for processes of our own user.
class ProcessTable {
public:
    virtual ~ProcessTable() = default;
    virtual std::vector<ProcessInfo> List() = 0;
    // Asks the process to end and ends it for good when it does not within a moment.
    virtual bool Terminate(pid_t pid) = 0;
    virtual pid_t SelfPid() = 0;
    virtual uid_t SelfUid() = 0;
    [[noreturn]] virtual void ExitSelf(int code) = 0;
};

ProcessTable& TheProcessTable();

} // namespace kelvo
