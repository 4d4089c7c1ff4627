#include "app/Options.h"
#include "platform/posix/XdgAutostartEntry.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;
using test::ReadFile;
using test::WriteFile;

namespace {

class OptionsTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("install");
    std::string autostartFile = test::MakeTempFolder("autostart") + "/kelvobackup.desktop";
    XdgAutostartEntry autostart{autostartFile};

    TOptions Open(const std::string& user = "ann") {
        return TOptions(folder, user, autostart, "/opt/kelvo/kelvobackup");
    }
};

const char* const kSavedDefaults = "[MAIN]\n"
                                   "viewLog=0\n"
                                   "backupIndex=0\n"
                                   "WaitXMinutes=0\n"
                                   "TemporaryPath=\n"
                                   "LastLocalFolder=\n"
                                   "\n"
                                   "[GENERAL]\n"
                                   "Password=\n"
                                   "PasswordHint=\n"
                                   "DefaultIcon=default.ico\n"
                                   "WindowsStartup=1\n"
                                   "Associate=0\n"
                                   "Minimize=0\n"
                                   "\n"
                                   "[LOG]\n"
                                   "ShowTimeStamp=0\n"
                                   "LimitLog=0\n"
                                   "LimitLogSize=5\n"
                                   "\n"
                                   "[e-mail Notification]\n"
                                   "SMTPServer=\n"
                                   "SMTPPort=25\n"
                                   "FromEmail=reports@kelvobackup.example\n"
                                   "FromName=Kelvo Backup Reports\n";

} // namespace

TEST_F(OptionsTest, MissingFileGivesDefaultsAndSaveWritesEveryKeyInOrder) {
    TOptions options = Open();
    EXPECT_FALSE(options.viewLog);
    EXPECT_TRUE(options.localFilesPanel);
    EXPECT_TRUE(options.WindowsStartup);
    EXPECT_EQ(options.LimitLogSize, 5);
    EXPECT_EQ(options.SMTPPort, 25);
    EXPECT_EQ(options.DefaultIcon, "default.ico");
    EXPECT_EQ(options.SummarySound, "wsummary.wav");
    EXPECT_TRUE(options.UselessFiles.empty());
    ASSERT_TRUE(options.Save());
    EXPECT_EQ(ReadFile(folder + "/ann_KelvoBackup.ini"), kSavedDefaults);
}

TEST_F(OptionsTest, SharedFileIsReadUntilThePerUserFileExists) {
    WriteFile(folder + "/KelvoBackup.ini",
              "[MAIN]\r\nWaitXMinutes=7\r\n[LOG]\r\nLimitLog=1\r\nLimitLogSize=12\r\n");
    TOptions first = Open();
    EXPECT_EQ(first.FileToRead(), folder + "/KelvoBackup.ini");
    EXPECT_EQ(first.WaitXMinutes, 7);
    EXPECT_TRUE(first.LimitLog);
    first.WaitXMinutes = 3;
    ASSERT_TRUE(first.Save());

    WriteFile(folder + "/KelvoBackup.ini", "[MAIN]\r\nWaitXMinutes=99\r\n");
    TOptions second = Open();
    EXPECT_EQ(second.FileToRead(), folder + "/ann_KelvoBackup.ini");
    EXPECT_EQ(second.WaitXMinutes, 3);
    EXPECT_EQ(second.LimitLogSize, 12);

    TOptions otherUser = Open("bob"); // a second user keeps a file of his own
    EXPECT_EQ(otherUser.WaitXMinutes, 99);
    EXPECT_EQ(ReadFile(folder + "/KelvoBackup.ini"), "[MAIN]\r\nWaitXMinutes=99\r\n");
}

TEST_F(OptionsTest, HandEnteredPasswordSurvivesSaves) {
    WriteFile(folder + "/ann_KelvoBackup.ini",
              "[GENERAL]\nPassword=S3cret pass\nPasswordHint=the usual\nCustom=kept\n");
    TOptions options = Open();
    EXPECT_EQ(options.Password, "S3cret pass");
    options.Minimize = true;
    ASSERT_TRUE(options.Save());
    ASSERT_TRUE(Open().Save());
    TOptions again = Open();
    EXPECT_EQ(again.Password, "S3cret pass");
    EXPECT_EQ(again.PasswordHint, "the usual");
    EXPECT_TRUE(again.Minimize);
    EXPECT_NE(ReadFile(folder + "/ann_KelvoBackup.ini").find("Custom=kept"), std::string::npos);
}

TEST_F(OptionsTest, DamagedValuesFallBackToDefaults) {
    WriteFile(folder + "/ann_KelvoBackup.ini",
              std::string("\xff\xfe[LOG]\nLimitLogSize=lots\n[GENERAL]\nWindowsStartup=no\n") +
                  std::string("\0\0", 2) + "garbage=\n[MAIN]\nWaitXMinutes=2");
    TOptions options = Open();
    EXPECT_EQ(options.LimitLogSize, 5);
    EXPECT_TRUE(options.WindowsStartup);
    EXPECT_EQ(options.WaitXMinutes, 2);
}

TEST_F(OptionsTest, SaveRegistersOrRemovesTheLogonEntry) {
    TOptions options = Open();
    ASSERT_TRUE(options.Save());
    EXPECT_EQ(autostart.Command(), "\"/opt/kelvo/kelvobackup\" /startup");
    options.WindowsStartup = false;
    ASSERT_TRUE(options.Save());
    EXPECT_FALSE(test::Exists(autostartFile));
}

TEST_F(OptionsTest, ReadsTheUselessFilesList) {
    WriteFile(folder + "/museless.txt", "*.tmp|Temporary files|extra\r\n~*|\r\n\r\n*.bak\r\n");
    const std::vector<UselessFile> expected = {
        {"*.tmp", "Temporary files"}, {"~*", ""}, {"", ""}, {"*.bak", ""}};
    EXPECT_EQ(Open().UselessFiles, expected);
    EXPECT_EQ(ParseUselessFiles("a|b"), (std::vector<UselessFile>{{"a", "b"}}));
}

TEST_F(OptionsTest, TemporaryFolderFallsBackToTheSystemOne) {
    TOptions options = Open();
    const std::string custom = test::MakeTempFolder("tmp") + "/deep/er";
    options.TemporaryPath = custom;
    EXPECT_EQ(options.GetTemporaryFolder(), custom + "/");
    EXPECT_TRUE(test::Exists(custom));

    const std::string systemTemp = test::MakeTempFolder("systmp");
    test::ScopedEnv tmpdir("TMPDIR", systemTemp);
    options.TemporaryPath = "";
    EXPECT_EQ(options.GetTemporaryFolder(), systemTemp + "/backuptemp/");
    WriteFile(systemTemp + "/blocker", "x");
    options.TemporaryPath = systemTemp + "/blocker/sub"; // cannot be created
    EXPECT_EQ(options.GetTemporaryFolder(), systemTemp + "/backuptemp/");
}
