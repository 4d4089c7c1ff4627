#pragma once

#include "platform/ProcessTable.h"
#include "platform/SessionControl.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace kelvo::test {

// Records log-off and power-off requests instead of carrying them out.
class RecordingSessionControl : public SessionControl {
public:
    bool LogOff() override {
        calls.push_back("LogOff");
        return true;
    }
    bool PowerOff() override {
        calls.push_back("PowerOff");
        return true;
    }
    std::vector<std::string> calls;
};

// Thrown by FakeProcessTable::ExitSelf in place of ending the test process.
struct SelfExit : std::runtime_error {
    explicit SelfExit(int c) : std::runtime_error("exit"), code(c) {}
    int code;
};

// A process list made up by the test; Terminate only records.
class FakeProcessTable : public ProcessTable {
public:
    std::vector<ProcessInfo> List() override { return processes; }
    bool Terminate(pid_t pid) override {
        terminated.push_back(pid);
        return true;
    }
    pid_t SelfPid() override { return self; }
    uid_t SelfUid() override { return user; }
    [[noreturn]] void ExitSelf(int code) override { throw SelfExit(code); }

    std::vector<ProcessInfo> processes;
    std::vector<pid_t> terminated;
    pid_t self = 100;
    uid_t user = 1000;
};

} // namespace kelvo::test
