#include "support/ChildProcess.h"

#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvo::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env,
                           const std::vector<std::string>& unset) {
    int out[2];
    if (::pipe(out) != 0)
        throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        for (const auto& [name, value] : env)
            ::setenv(name.c_str(), value.c_str(), 1);
        for (const std::string& name : unset)
            ::unsetenv(name.c_str());
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(out[1]);
    out_ = ::fdopen(out[0], "r");
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0)
        Kill();
    if (out_)
        ::fclose(out_);
}

std::string ChildProcess::Line() {
    char buffer[1024] = {};
    return std::fgets(buffer, sizeof buffer, out_) ? std::string(buffer) : "";
}

int ChildProcess::Wait() {
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void ChildProcess::Kill() {
    ::kill(pid_, SIGKILL);
    Wait();
}

} // namespace kelvo::test
