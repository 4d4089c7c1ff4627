#include "files/zip/ZipReader.h"
#include "files/zip/ZipWriter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;
using test::RunProcess;

namespace {

class SelfExtractingTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("sfx");
    std::string exe = folder + "/A.exe";
    SystemTime when = SystemTime(std::chrono::seconds(1765450000));

    void Build(const std::string& password) {
        ZipWriterSettings settings;
        settings.Password = password;
        settings.Prefix = KELVO_SFX;
        ZipWriter zip(exe, settings);
        zip.AddData("first\n", {"docs/a.txt", when, 0100640, 6});
        zip.AddData(std::string(300000, 'b'), {"docs/sub/b.bin", when, 0100644, 9});
        zip.AddFolder({"empty", when, 0755, 0});
        zip.Finish();
    }
    // Without a terminal (a new session), so that a password comes from stdin.
    test::ProcessResult Run(const std::vector<std::string>& args, const std::string& input = "") {
        std::vector<std::string> command = {"/usr/bin/setsid", "-w", exe};
        command.insert(command.end(), args.begin(), args.end());
        return RunProcess(command, {}, input);
    }
    void ExpectExtracted(const std::string& target) {
        EXPECT_EQ(test::ReadFile(target + "/docs/a.txt"), "first\n");
        EXPECT_EQ(test::ReadFile(target + "/docs/sub/b.bin"), std::string(300000, 'b'));
        struct stat info {};
        ASSERT_EQ(::stat((target + "/docs/a.txt").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
        EXPECT_EQ(info.st_mtime, 1765450000);
        EXPECT_TRUE(test::Exists(target + "/empty"));
    }
};

} // namespace

TEST_F(SelfExtractingTest, RunsAndExtractsAndZipToolsReadIt) {
    Build("");
    struct stat info {};
    ASSERT_EQ(::stat(exe.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0111, 0111u) << "the archive can be run";
    const test::ProcessResult listed = RunProcess({"/usr/bin/unzip", "-l", exe});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("docs/sub/b.bin"), std::string::npos);
    const test::ProcessResult tested = RunProcess({"/usr/bin/unzip", "-t", "-q", exe});
    EXPECT_EQ(tested.exitCode, 0) << tested.out << tested.err;
    const test::ProcessResult run = Run({folder + "/out"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ExpectExtracted(folder + "/out");
    // Without a folder it extracts into the current one.
    const std::string here = test::MakeTempFolder("here");
    const test::ProcessResult inPlace = RunProcess({"/usr/bin/env", "-C", here, exe});
    EXPECT_EQ(inPlace.exitCode, 0) << inPlace.err;
    ExpectExtracted(here);
}

TEST_F(SelfExtractingTest, AsksForThePasswordOfEncryptedMembers) {
    Build("sfx pw");
    const test::ProcessResult right = Run({folder + "/right"}, "sfx pw\n");
    EXPECT_EQ(right.exitCode, 0) << right.err;
    EXPECT_NE(right.err.find("Password: "), std::string::npos);
    ExpectExtracted(folder + "/right");
    const test::ProcessResult wrong = Run({folder + "/wrong"}, "nope\n");
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_NE(wrong.err.find("Wrong password"), std::string::npos) << wrong.err;
    EXPECT_FALSE(test::Exists(folder + "/wrong/docs/a.txt"));
    const test::ProcessResult peer =
        RunProcess({"/usr/bin/unzip", "-t", "-q", "-P", "sfx pw", exe});
    EXPECT_EQ(peer.exitCode, 0) << peer.out << peer.err;
}
