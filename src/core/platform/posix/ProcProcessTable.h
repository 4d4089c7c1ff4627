#pragma once

#include "platform/ProcessTable.h"

namespace kelvo {

// Reads /proc: the executable link of every process we may open, its real uid.
class ProcProcessTable : public ProcessTable {
public:
    std::vector<ProcessInfo> List() override;
    bool Terminate(pid_t pid) override;
    pid_t SelfPid() override;
    uid_t SelfUid() override;
    [[noreturn]] void ExitSelf(int code) override;
};

} // namespace kelvo
