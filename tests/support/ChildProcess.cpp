#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvo::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::map<std::string, std::string>& env,
                           const std::vector<std::string>& unset) {
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) // dup2 below clears it for stdout
        throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(out[1], 1);
        ::close(out[0]);
        ::close(out[1]);
        ExecInChild(argv, env, unset);
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
