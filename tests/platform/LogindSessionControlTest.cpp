#include "platform/posix/LogindSessionControl.h"
#include "support/ChildProcess.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

// A private bus with a fake logind on it. The control under test is given the
// bus's address, so no call can ever reach the machine's own logind.
class LogindSessionControlTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("bus");
    std::string record = folder + "/calls.txt";
    std::unique_ptr<test::ChildProcess> daemon, login1;
    std::string address;

    void SetUp() override {
        test::WriteFile(folder + "/bus.conf",
                        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                        "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                        "busconfig.dtd\">\n<busconfig><type>system</type>"
                        "<listen>unix:path=" +
                            folder +
                            "/socket</listen><auth>EXTERNAL</auth>"
                            "<policy context=\"default\"><allow user=\"*\"/><allow own=\"*\"/>"
                            "<allow send_destination=\"*\"/><allow receive_sender=\"*\"/></policy>"
                            "</busconfig>\n");
        daemon = std::make_unique<test::ChildProcess>(std::vector<std::string>{
            "/usr/bin/dbus-daemon", "--config-file=" + folder + "/bus.conf", "--nofork",
            "--print-address=1"});
        address = daemon->Line();
        ASSERT_FALSE(address.empty()) << "dbus-daemon did not start";
        address.pop_back();
        login1 = std::make_unique<test::ChildProcess>(
            std::vector<std::string>{FAKE_LOGIN1, address, record});
        ASSERT_EQ(login1->Line(), "ready\n");
    }
    void TearDown() override {
        login1.reset();
        daemon.reset();
    }
};

} // namespace

TEST_F(LogindSessionControlTest, AsksLogindToEndTheSessionOrPowerOff) {
    test::ScopedEnv allowed("KELVOBACKUP_NO_POWER", "");
    LogindSessionControl control(address);
    {
        test::ScopedEnv session("XDG_SESSION_ID", "c7");
        EXPECT_TRUE(control.LogOff());
    }
    {
        test::ScopedEnv session("XDG_SESSION_ID", ""); // asks logind for our session
        EXPECT_TRUE(control.LogOff());
    }
    EXPECT_TRUE(control.PowerOff());
    EXPECT_EQ(test::ReadFile(record), "TerminateSession c7\n"
                                      "Session.Terminate /org/freedesktop/login1/session/_31\n"
                                      "PowerOff false\n");
}

TEST_F(LogindSessionControlTest, DoesNothingWhilePowerActionsAreDisabled) {
    test::ScopedEnv disabled("KELVOBACKUP_NO_POWER", "1");
    LogindSessionControl control(address);
    EXPECT_FALSE(control.LogOff());
    EXPECT_FALSE(control.PowerOff());
    EXPECT_FALSE(test::Exists(record));
}

TEST_F(LogindSessionControlTest, ReportsFailureWhenNoLogindAnswers) {
    test::ScopedEnv allowed("KELVOBACKUP_NO_POWER", "");
    login1.reset();
    LogindSessionControl control(address);
    EXPECT_FALSE(control.PowerOff());
    LogindSessionControl nowhere("unix:path=" + folder + "/no-such-socket");
    EXPECT_FALSE(nowhere.LogOff());
}
