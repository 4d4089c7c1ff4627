#include "app/OSInfo.h"
#include "app/ProgramStart.h"
#include "platform/posix/ProcProcessTable.h"
#include "support/FakePlatform.h"
#include "support/TestEnvironment.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvo;
using test::FakeProcessTable;
using test::RecordingSessionControl;

namespace {

class OSInfoTest : public ::testing::Test {
protected:
    FakeProcessTable processes;
    RecordingSessionControl session;
    TOSInfoClass os{processes, session};

    void SetUp() override {
        processes.processes = {{10, 1000, "/usr/bin/KelvoBackup"},
                               {11, 1000, "/opt/kelvo/kelvobackup"},
                               {12, 2000, "/opt/kelvo/kelvobackup"}, // another user's
                               {13, 1000, "/usr/bin/kelvobackup-cli"},
                               {100, 1000, "/opt/kelvo/kelvobackup"}}; // this process
    }
};

// A running copy of sleep under a name of our own, started by the test.
pid_t StartSleeper(const std::string& path, uid_t asUser = ::getuid()) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (asUser != ::getuid() && ::setuid(asUser) != 0)
            ::_exit(126);
        ::execl(path.c_str(), path.c_str(), "30", nullptr);
        ::_exit(127);
    }
    for (int i = 0; i < 200; ++i) { // until the exec has happened
        std::error_code ec;
        if (std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec) == path)
            break;
        ::usleep(5000);
    }
    return pid;
}

bool Alive(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

} // namespace

TEST_F(OSInfoTest, FindsProcessesByNameOrPathIgnoringCase) {
    EXPECT_TRUE(os.IsProcessRunning("KELVOBACKUP", false));
    EXPECT_TRUE(os.IsProcessRunning("/OPT/Kelvo/KelvoBackup", true));
    EXPECT_FALSE(os.IsProcessRunning("/opt/kelvo", true));
    EXPECT_FALSE(os.IsProcessRunning("kelvo", false));
    std::vector<std::string> paths;
    os.ListProcessPaths(&paths);
    EXPECT_EQ(paths.size(), 5u);
    os.ListProcessPaths(nullptr);
}

TEST_F(OSInfoTest, KillsExactNamesOfOurUserAndEndsItselfLast) {
    try {
        os.KillProcessByName("kelvobackup", "kelvobackup-cli");
        FAIL() << "the process itself matched and must end";
    } catch (const test::SelfExit& exit) {
        EXPECT_EQ(exit.code, 1);
    }
    EXPECT_EQ(processes.terminated, (std::vector<pid_t>{11, 13})); // not 10 (case), not 12 (user)
}

TEST_F(OSInfoTest, CarriesOnWhenItselfDoesNotMatch) {
    os.KillProcessByName("KelvoBackup", "");
    EXPECT_EQ(processes.terminated, std::vector<pid_t>{10});
}

TEST_F(OSInfoTest, ExitFlagsChooseLogOffOrPowerOff) {
    EXPECT_TRUE(os.ExitWindowsPrivileged(TOSInfoClass::kLogOffForce));
    EXPECT_TRUE(os.ExitWindowsPrivileged(TOSInfoClass::kShutDownPowerOff));
    EXPECT_FALSE(os.ExitWindowsPrivileged(2)); // reboot is not ours to do
    EXPECT_EQ(session.calls, (std::vector<std::string>{"LogOff", "PowerOff"}));
}

TEST_F(OSInfoTest, UninstallEndsRunningCopiesBeforeTheGuardDecides) {
    class HeldGuard : public SessionGuard {
    public:
        bool TryBecomeResident() override { return false; }
        bool WakeResident() override { return woken = true; }
        void StartWatching(std::function<void()>) override {}
        bool woken = false;
    } guard;
    processes.processes.pop_back(); // this process has another name here
    EXPECT_EQ(BeginResidentProgram({"/Uninstall"}, guard, os), 0);
    EXPECT_EQ(processes.terminated, (std::vector<pid_t>{11, 13}));
    EXPECT_TRUE(guard.woken);
}

TEST(RealProcessesTest, KillsOnlyOurOwnCopiesOfAName) {
    // Outside the private test folder, so that another user can run it too.
    std::string folder = "/tmp/kelvo-sleeper-XXXXXX";
    ASSERT_TRUE(::mkdtemp(folder.data()));
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all |
                                             std::filesystem::perms::group_exec |
                                             std::filesystem::perms::others_exec);
    const std::string name = "kelvo-sleeper-" + std::to_string(::getpid());
    const std::string path = folder + "/" + name;
    std::filesystem::copy_file("/bin/sleep", path);
    const pid_t mine = StartSleeper(path);
    pid_t foreign = -1;
    if (::getuid() == 0) // a process of another user, started by this test
        foreign = StartSleeper(path, 65534);

    ProcProcessTable table;
    RecordingSessionControl session;
    TOSInfoClass os(table, session);
    EXPECT_TRUE(os.IsProcessRunning(name, false));
    os.KillProcessByName(name, "");
    EXPECT_FALSE(Alive(mine));
    if (foreign > 0) {
        EXPECT_TRUE(Alive(foreign));
        ::kill(foreign, SIGKILL);
        ::waitpid(foreign, nullptr, 0);
    }
    EXPECT_FALSE(os.IsProcessRunning(name, false));
    std::filesystem::remove_all(folder);
}
