#pragma once

#include <map>
#include <string>
#include <vector>

namespace kelvo::test {

// The temporary root of this test process. Before any test runs, HOME, the XDG
// folders, KELVOBACKUP_HOME and the system registry folder all point below it.
const std::string& TestRoot();

// A fresh, empty folder below the test root.
std::string MakeTempFolder(const std::string& hint = "dir");

void WriteFile(const std::string& path, const std::string& data);
std::string ReadFile(const std::string& path); // empty when missing
bool Exists(const std::string& path);
std::vector<std::string> ListFolder(const std::string& path); // names, sorted

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_, old_;
    bool had_;
};

struct ProcessResult {
    int exitCode = -1; // 128 + signal when killed by one
    std::string out, err;
};

// In a forked child: sets and unsets environment variables, then runs argv[0]
// (exit code 127 when it cannot be run).
[[noreturn]] void ExecInChild(const std::vector<std::string>& argv,
                              const std::map<std::string, std::string>& env,
                              const std::vector<std::string>& unset = {});

// Runs a program to its end with extra environment variables.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::map<std::string, std::string>& env = {},
                         const std::string& input = "");

} // namespace kelvo::test
