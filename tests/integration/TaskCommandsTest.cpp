#include "crypto/StoredPassword.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kelvo;
using test::ProcessResult;
using test::RunProcess;

namespace {

class TaskCommandsTest : public ::testing::Test {
protected:
    std::string home = test::MakeTempFolder("home");
    std::string media = test::MakeTempFolder("media");

    ProcessResult Cli(std::vector<std::string> args) {
        args.insert(args.begin(), {KELVO_CLI, "--home", home});
        return RunProcess(args, {{"XDG_CONFIG_HOME", test::MakeTempFolder("config")}});
    }
    // Checks with Python's json module; answers the value at the path given.
    std::string Json(const std::string& text, const std::string& expression) {
        const ProcessResult result =
            RunProcess({"/usr/bin/python3", "-c",
                        "import json,sys; d=json.load(sys.stdin); print((" + expression + "))"},
                       {}, text);
        EXPECT_EQ(result.exitCode, 0) << result.err << text;
        return result.out.substr(0, result.out.find('\n'));
    }
};

const char* const kTaskFile =
    "<XML><GENERAL><Type bCount=\"4\">0</Type><Priority>High</Priority><Enabled>true</Enabled>"
    "<Name>Laptop</Name><ArchiveFolderName>LaptopArchive</ArchiveFolderName><a/><b/><c/><d/>"
    "<SetCollision purge=\"5\">stack</SetCollision><e/><f/><g/><h/><i/>"
    "<OnError-show play=\"true\">Tray</OnError-show><j/><k/><l/>"
    "<SOneTimeRun date=\"46000\" time=\"0.75\">x</SOneTimeRun></GENERAL>"
    "<SOURCE><AlsoFoldersMAsk>true</AlsoFoldersMAsk><ExcludeTemp>false</ExcludeTemp>"
    "<InclusionMask>*.*</InclusionMask><ExclusionMask></ExclusionMask>"
    "<folder><path>/home/ann/Data</path><username>ann</username><password>lan</password>"
    "</folder><file special=\"2\" info=\"Inbox\"><path>/home/ann/mail.mbox</path></file></SOURCE>"
    "<DESTINATION><root dtype=\"1\" rb=\"3\"><path>/backup</path><ConnName>Office</ConnName>"
    "<Host>ftp.example</Host><Pass>PASS</Pass></root>"
    "<archive security=\"Zip\" password=\"ZIP\" split=\"700000000\">true</archive><list/>"
    "<st><stack>Laptop 1</stack></st></DESTINATION>"
    "<REGISTRY><key><name>Prefs</name><path>HKEY_CURRENT_USER\\Software\\X</path></key>"
    "</REGISTRY></XML>";

std::string TaskFileText() {
    std::string text = kTaskFile;
    text.replace(text.find("PASS"), 4, EncryptString("ftp secret"));
    text.replace(text.find("ZIP"), 3, EncryptString("zip secret"));
    return text;
}

} // namespace

TEST_F(TaskCommandsTest, ImportListAndShowATask) {
    test::WriteFile(media + "/Laptop.kbt", TaskFileText());
    ProcessResult imported = Cli({"import", media + "/Laptop.kbt"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "Imported Laptop\n");
    EXPECT_TRUE(test::Exists(home + "/Tasks/Laptop.kbt"));

    ProcessResult listed = Cli({"list"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("\nLaptop\tbackup\t"), std::string::npos) << listed.out;

    ProcessResult shown = Cli({"show", "Laptop"});
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    const std::string& j = shown.out;
    EXPECT_EQ(Json(j, "sorted(d)"), "['DESTINATION', 'GENERAL', 'PLUGINS', 'REGISTRY', 'SOURCE']");
    EXPECT_EQ(Json(j, "d['GENERAL']['Priority'], d['GENERAL']['Type.bCount']"), "('High', 4)");
    EXPECT_EQ(Json(j, "d['GENERAL']['SetCollision.purge'], d['GENERAL']['OnError-show.play']"),
              "(5, True)");
    EXPECT_EQ(Json(j, "d['GENERAL']['SOneTimeRun.date'], d['GENERAL']['SOneTimeRun.time']"),
              "(46000, 0.75)");
    EXPECT_EQ(Json(j, "len(d['GENERAL'])"), "59"); // 46 elements and 13 attributes
    EXPECT_EQ(Json(j, "d['SOURCE']['folders'][0]['path'], d['SOURCE']['folders'][0]['password']"),
              "('/home/ann/Data', '***')");
    EXPECT_EQ(Json(j, "d['SOURCE']['files'][0]['special'], d['SOURCE']['files'][0]['info']"),
              "(2, 'Inbox')");
    EXPECT_EQ(Json(j, "d['DESTINATION']['root.rb'], d['DESTINATION']['ftp']['Host']"),
              "(3, 'ftp.example')");
    EXPECT_EQ(Json(j, "d['DESTINATION']['ftp']['Pass'], d['DESTINATION']['archive.password']"),
              "('***', '***')");
    EXPECT_EQ(Json(j, "d['DESTINATION']['archive.split'], d['DESTINATION']['stacks']"),
              "(700000000, ['Laptop 1'])");
    EXPECT_EQ(Json(j, "d['REGISTRY'][0]['path']"), "HKEY_CURRENT_USER\\Software\\X");

    ProcessResult clear = Cli({"show", "Laptop", "--show-passwords"});
    EXPECT_EQ(
        Json(clear.out, "d['DESTINATION']['ftp']['Pass'], d['DESTINATION']['archive.password']"),
        "('ftp secret', 'zip secret')");
}

TEST_F(TaskCommandsTest, ImportRefusesAKnownNameAndShowAnUnknownTask) {
    test::WriteFile(media + "/Laptop.kbt", TaskFileText());
    ASSERT_EQ(Cli({"import", media + "/Laptop.kbt"}).exitCode, 0);
    const ProcessResult again = Cli({"import", media + "/Laptop.kbt"});
    EXPECT_EQ(again.exitCode, 2);
    EXPECT_EQ(again.err, "There is allready a backup task with the same name (Laptop)!\n");
    EXPECT_EQ(Cli({"show", "Nobody"}).exitCode, 64);
    EXPECT_EQ(Cli({"import", media + "/missing.kbt"}).exitCode, 2);
}

TEST_F(TaskCommandsTest, AFreshDataFolderGetsTheTemplate) {
    ASSERT_EQ(Cli({"list"}).exitCode, 0);
    const std::string copied = test::ReadFile(home + "/Tasks/default.kbt");
    EXPECT_NE(copied.find("<SetCollision purge=\"3\">stack</SetCollision>"), std::string::npos);
    EXPECT_NE(copied.find("<Type bCount=\"0\" rCount=\"0\">0</Type>"), std::string::npos);
}
