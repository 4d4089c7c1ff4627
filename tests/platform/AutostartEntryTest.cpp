#include "platform/posix/XdgAutostartEntry.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(AutostartEntryTest, RegistersTheQuotedExecutableWithTheStartupSwitch) {
    const std::string file = test::MakeTempFolder("config") + "/autostart/kelvobackup.desktop";
    XdgAutostartEntry entry(file);
    EXPECT_FALSE(entry.IsRegistered());
    ASSERT_TRUE(entry.Register("/opt/Kelvo Backup/kelvobackup"));
    const std::string text = test::ReadFile(file);
    EXPECT_EQ(text.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_NE(text.find("\nType=Application\n"), std::string::npos);
    EXPECT_EQ(entry.Command(), "\"/opt/Kelvo Backup/kelvobackup\" /startup");
    EXPECT_TRUE(entry.Unregister());
    EXPECT_FALSE(test::Exists(file));
    EXPECT_TRUE(entry.Unregister()); // nothing left to remove is fine
}

TEST(AutostartEntryTest, EscapesWhatTheDesktopFormatReserves) {
    EXPECT_EQ(XdgAutostartEntry::ExecValue("/a\"b$c`d\\e"),
              "\"/a\\\\\"b\\\\$c\\\\`d\\\\\\\\e\" /startup");
}

TEST(AutostartEntryTest, TheDefaultFileFollowsXdgConfigHome) {
    const std::string config = test::MakeTempFolder("config");
    test::ScopedEnv env("XDG_CONFIG_HOME", config);
    ASSERT_TRUE(TheAutostartEntry().Register("/usr/bin/kelvobackup"));
    EXPECT_TRUE(test::Exists(config + "/autostart/kelvobackup.desktop"));
}
