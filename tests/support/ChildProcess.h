#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kelvo::test {

// A program the test starts and talks to: its stdout is read line by line, and
// it is ended when the object goes, if it has not ended by itself.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& env = {},
                 const std::vector<std::string>& unset = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    std::string Line(); // the next line with its "\n"; empty at the end
    int Wait();         // exit code, or 128 + signal
    void Kill();

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

} // namespace kelvo::test
