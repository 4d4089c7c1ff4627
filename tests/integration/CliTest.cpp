#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sstream>

using namespace kelvo;
using test::ProcessResult;
using test::ReadFile;
using test::RunProcess;

namespace {

class CliTest : public ::testing::Test {
protected:
    std::string home = test::MakeTempFolder("home");
    std::string config = test::MakeTempFolder("config");

    ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), KELVO_CLI);
        return RunProcess(args, {{"XDG_CONFIG_HOME", config}});
    }
    std::string PerUserFile() { return home + "/" + UserName() + "_KelvoBackup.ini"; }
    static std::string UserName() {
        ProcessResult who = RunProcess({"/usr/bin/id", "-un"});
        return who.out.substr(0, who.out.find('\n'));
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

TEST_F(CliTest, MessagesPrintsTheWholeTableAsJsonLines) {
    const ProcessResult result = Cli({"messages"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const std::vector<std::string> lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 234u);
    EXPECT_EQ(lines.front(), R"({"key": "_DecryptPassword", "text": "Decrypt password"})");
    const std::string expected[] = {
        R"({"key": "_LoginIncorrect", "text": "Login incorrect.\r\n"})",
        R"({"key": "_CreatedOn", "text": " Created on:  "})",
        R"({"key": "cFile", "text": "File \""})",
        R"({"key": "DLL_DIR", "text": "..\\Dll"})",
        R"({"key": "_SelectWorkingDays", "text": "Select working days:  "})",
    };
    for (const std::string& line : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    // Every line is valid JSON with exactly these two members.
    const ProcessResult check = RunProcess(
        {"/usr/bin/python3", "-c",
         "import json,sys\nfor l in sys.stdin: o=json.loads(l); assert list(o)==['key','text'], o"},
        {}, result.out);
    EXPECT_EQ(check.exitCode, 0) << check.err;
}

TEST_F(CliTest, OptionsOnAFreshFolderShowsDefaultsAndSetSavesThePerUserFile) {
    ProcessResult shown = Cli({"--home", home, "options"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("\"WindowsStartup\": true,"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\"SMTPPort\": 25,"), std::string::npos);
    EXPECT_FALSE(test::Exists(PerUserFile())); // showing writes nothing

    ProcessResult set = Cli({"--home", home, "options", "set", "SMTPServer=mail.example.org",
                             "smtpport=2525", "LimitLog=true", "TemporaryPath=/var/tmp/kelvo"});
    ASSERT_EQ(set.exitCode, 0) << set.err;
    const std::string ini = ReadFile(PerUserFile());
    EXPECT_NE(ini.find("[e-mail Notification]\nSMTPServer=mail.example.org\nSMTPPort=2525\n"),
              std::string::npos)
        << ini;
    EXPECT_NE(ini.find("LimitLog=1\n"), std::string::npos);
    EXPECT_TRUE(test::Exists(config + "/autostart/kelvobackup.desktop"));

    shown = Cli({"--home", home, "options"});
    EXPECT_NE(shown.out.find("\"SMTPServer\": \"mail.example.org\","), std::string::npos);
    EXPECT_NE(shown.out.find("\"TemporaryPath\": \"/var/tmp/kelvo\","), std::string::npos);
    const ProcessResult valid = RunProcess(
        {"/usr/bin/python3", "-c", "import json,sys; json.load(sys.stdin)"}, {}, shown.out);
    EXPECT_EQ(valid.exitCode, 0) << shown.out;
}

TEST_F(CliTest, OptionsFollowTheSharedFileUntilThePerUserOneIsWritten) {
    test::WriteFile(home + "/KelvoBackup.ini", "[MAIN]\r\nWaitXMinutes=4\r\n"
                                               "[GENERAL]\r\nWindowsStartup=0\r\n");
    ProcessResult shown = Cli({"--home", home, "options"});
    EXPECT_NE(shown.out.find("\"WaitXMinutes\": 4,"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("\"WindowsStartup\": false,"), std::string::npos);

    ASSERT_EQ(Cli({"--home", home, "options", "set", "FromName=Backups"}).exitCode, 0);
    EXPECT_NE(ReadFile(PerUserFile()).find("WaitXMinutes=4\n"), std::string::npos);
    EXPECT_FALSE(test::Exists(config + "/autostart/kelvobackup.desktop"));
    test::WriteFile(home + "/KelvoBackup.ini", "[MAIN]\r\nWaitXMinutes=9\r\n");
    shown = Cli({"--home", home, "options"});
    EXPECT_NE(shown.out.find("\"WaitXMinutes\": 4,"), std::string::npos);
    EXPECT_NE(shown.out.find("\"FromName\": \"Backups\""), std::string::npos);
}

TEST_F(CliTest, BadUsageExitsWith64AndChangesNothing) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{"--home", home, "options", "set", "NoSuchKey=1"},
          std::vector<std::string>{"--home", home, "options", "set", "SMTPPort=many"},
          std::vector<std::string>{"--home", home, "options", "set", "WindowsStartup"},
          std::vector<std::string>{"no-such-command"}, std::vector<std::string>{}}) {
        const ProcessResult result = Cli(args);
        EXPECT_EQ(result.exitCode, 64) << result.out << result.err;
    }
    EXPECT_FALSE(test::Exists(PerUserFile()));
}
