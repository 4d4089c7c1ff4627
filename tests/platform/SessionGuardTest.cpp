#include "platform/posix/SocketSessionGuard.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <future>
#include <gtest/gtest.h>

using namespace kelvo;

namespace {

// The probe started like the program, reporting on stdout.
class Probe : public test::ChildProcess {
public:
    explicit Probe(const std::map<std::string, std::string>& env)
        : ChildProcess({GUARD_PROBE}, env) {}
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
    Probe first(
        {{"XDG_RUNTIME_DIR", runtime}, {"KELVOBACKUP_HOME", firstHome}, {"PROBE_WAKES", "2"}});
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
