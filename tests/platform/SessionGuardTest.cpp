#include "platform/posix/SocketSessionGuard.h"
#include "support/TestEnvironment.h"

#include <csignal>
#include <cstdio>
#include <future>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvo;

namespace {

// The probe as a child process whose stdout the test reads line by line.
class Probe {
public:
    explicit Probe(const std::map<std::string, std::string>& env) {
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            for (const auto& [name, value] : env)
                ::setenv(name.c_str(), value.c_str(), 1);
            ::execl(GUARD_PROBE, GUARD_PROBE, nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        out_ = ::fdopen(out[0], "r");
    }
    ~Probe() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_)
            ::fclose(out_);
    }
    std::string Line() {
        char buffer[256] = {};
        return std::fgets(buffer, sizeof buffer, out_) ? std::string(buffer) : "";
    }
    int Wait() {
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    void Kill() {
        ::kill(pid_, SIGKILL);
        Wait();
    }

private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

} // namespace

TEST(SessionGuardTest, OneResidentAndWakeUpsReachIt) {
    const std::string folder = test::MakeTempFolder("guard");
    SocketSessionGuard first(folder, "Guard"), second(folder, "Guard");
    ASSERT_TRUE(first.TryBecomeResident());
    EXPECT_FALSE(second.TryBecomeResident());
    std::promise<void> woken;
    first.StartWatching([&] { woken.set_value(); });
    EXPECT_TRUE(second.WakeResident());
    EXPECT_EQ(woken.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

TEST(SessionGuardTest, ALeftoverSocketDoesNotBlockAStart) {
    const std::string folder = test::MakeTempFolder("guard");
    test::WriteFile(folder + "/Guard", "left by a crash");
    test::WriteFile(folder + "/Guard.lock", "");
    SocketSessionGuard guard(folder, "Guard");
    EXPECT_TRUE(guard.TryBecomeResident());
    SocketSessionGuard later(folder, "Guard");
    EXPECT_TRUE(later.WakeResident()); // it listens on a fresh socket
}

TEST(SessionGuardTest, NobodyToWakeWhenNoResidentRuns) {
    SocketSessionGuard guard(test::MakeTempFolder("guard"), "Guard");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(guard.WakeResident());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(SessionGuardTest, SecondProcessWakesTheFirstAndExitsWithoutTouchingFiles) {
    const std::string runtime = test::MakeTempFolder("runtime");
    const std::string firstHome = test::MakeTempFolder("first");
    const std::string secondHome = test::TestRoot() + "/second-never-created";
    Probe first({{"XDG_RUNTIME_DIR", runtime}, {"KELVOBACKUP_HOME", firstHome},
                 {"PROBE_WAKES", "2"}});
    ASSERT_EQ(first.Line(), "resident\n");
    EXPECT_TRUE(test::Exists(firstHome + "/Tasks"));
    for (int i = 0; i < 2; ++i) {
        Probe second({{"XDG_RUNTIME_DIR", runtime}, {"KELVOBACKUP_HOME", secondHome}});
        EXPECT_EQ(second.Wait(), 0);
        EXPECT_EQ(first.Line(), "woken\n");
    }
    EXPECT_FALSE(test::Exists(secondHome));
    EXPECT_EQ(first.Wait(), 0);
}

TEST(SessionGuardTest, AKilledResidentLeavesNoBlockingGuard) {
    const std::string runtime = test::MakeTempFolder("runtime");
    Probe crashed({{"XDG_RUNTIME_DIR", runtime}});
    ASSERT_EQ(crashed.Line(), "resident\n");
    crashed.Kill();
    Probe next({{"XDG_RUNTIME_DIR", runtime}});
    EXPECT_EQ(next.Line(), "resident\n");
}
