#include "files/zArchive.h"
#include "log/DebugTrace.h"
#include "log/MessageTable.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;
using test::RunProcess;

namespace {

struct RecordingEvents : ArchiveEvents {
    std::vector<int> percents;
    std::vector<std::string> messages, leftOut;
    int refreshes = 0;
    bool stop = false;
    void RefreshRow() override { ++refreshes; }
    void BuildPercent(int percent) override { percents.push_back(percent); }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    void FileLeftOut(const std::string& path, const std::string&) override {
        leftOut.push_back(path);
    }
    bool StopRequested() override { return stop; }
};

class TzArchiveTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("tzarchive");
    std::string data = folder + "/data/";
    TDir root{2};
    TAr settings;
    RecordingEvents events;
    std::vector<std::string> trace;

    void SetUp() override {
        SetDebugTraceSink([this](std::string_view line) { trace.emplace_back(line); });
        settings.FArchiveName = folder + "/T/A";
        settings.FQuality = 6;
        ::mkdir((folder + "/T").c_str(), 0755);
        test::WriteFile(data + "a.txt", std::string(50000, 'a'));
        test::WriteFile(data + "Sub/b.txt", "bee");
    }
    void TearDown() override { SetDebugTraceSink({}); }
    bool Traced(const std::string& text) const {
        for (const std::string& line : trace)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    }
};

} // namespace

TEST_F(TzArchiveTest, QueuedFilesAreBuiltInOneOperationUnderTheirStoredNames) {
    TzArchive archive(&root, &settings);
    archive.SetEvents(&events);
    ASSERT_TRUE(archive.Connect());
    archive.QueueFile(data, "a.txt");
    archive.QueueFile(data + "Sub/", "b.txt");
    EXPECT_FALSE(test::Exists(folder + "/T/A.zip")) << "queuing compresses nothing";
    const ZipResult result = archive.Build();
    EXPECT_EQ(result.Members, 2u);
    const std::string stored = ZipArchiveFile::MemberName(data) + "Sub/b.txt";
    EXPECT_TRUE(archive.HasMember(stored));
    EXPECT_FALSE(archive.HasMember(ZipArchiveFile::MemberName(data) + "sub/b.txt"));
    EXPECT_EQ(archive.ReadMember(stored), "bee");
    ASSERT_FALSE(events.percents.empty());
    EXPECT_EQ(events.percents.back(), 100);
    EXPECT_GT(events.refreshes, 0);
    EXPECT_TRUE(Traced(Msg("_FileToZip") + stored));
    EXPECT_TRUE(Traced("zip read"));
    EXPECT_TRUE(archive.MakeDir(folder + "/x"));
    EXPECT_TRUE(Traced("dummy Zip makeDir"));
    EXPECT_FALSE(test::Exists(folder + "/x"));
    EXPECT_TRUE(archive.Disconnect());
    EXPECT_EQ(archive.FMemberCount, 2);
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/T/A.zip").c_str(), &info), 0);
    EXPECT_EQ(archive.FArchiveSize, static_cast<uint64_t>(info.st_size));
    EXPECT_EQ(RunProcess({"/usr/bin/unzip", "-t", "-q", folder + "/T/A.zip"}).exitCode, 0);
}

TEST_F(TzArchiveTest, SettingsDecideNameSplitAndPassword) {
    settings.FSplit = true;
    settings.FSplitSize = 64 * 1024;
    settings.FPassword = "pw";
    {
        TzArchive archive(&root, &settings); // no security: the password is not used
        ASSERT_TRUE(archive.Connect());
        EXPECT_EQ(archive.ArchivePath(), folder + "/T/A.zip");
        EXPECT_EQ(archive.FZip->Settings().Password, "");
        EXPECT_EQ(archive.FZip->Settings().VolumeSize, 64u * 1024);
    }
    settings.FSecurity = "Zip";
    settings.FSelfExtracting = true;
    TzArchive archive(&root, &settings, KELVO_SFX);
    ASSERT_TRUE(archive.Connect());
    EXPECT_EQ(archive.ArchivePath(), folder + "/T/A.exe");
    EXPECT_EQ(archive.FZip->Settings().Password, "pw");
    EXPECT_EQ(archive.FZip->Settings().VolumeSize, 0u)
        << "a self-extracting archive is never split";
    archive.QueueAs(data + "a.txt", "Plug/app/a.txt");
    archive.Build();
    const test::ProcessResult listed = RunProcess({"/usr/bin/unzip", "-l", folder + "/T/A.exe"});
    EXPECT_NE(listed.out.find("Plug/app/a.txt"), std::string::npos) << listed.out << listed.err;
}

TEST_F(TzArchiveTest, FailuresAnswerFalseOrShowAMessage) {
    settings.FSelfExtracting = true;
    TzArchive missingStub(&root, &settings, folder + "/no-stub");
    EXPECT_FALSE(missingStub.Connect());
    EXPECT_TRUE(Traced("zArchive.Connect()"));
    settings.FSelfExtracting = false;
    TzArchive archive(&root, &settings);
    archive.SetEvents(&events);
    EXPECT_EQ(archive.AddFile(data + "missing.txt"), 0);
    ASSERT_EQ(events.messages.size(), 1u);
    EXPECT_EQ(events.messages[0],
              "Fatal error on adding file \"" + data + "missing.txt\" to archive!");
    EXPECT_EQ(archive.AddFile(data + "a.txt"), 0);
    EXPECT_TRUE(archive.HasMember(ZipArchiveFile::MemberName(data) + "a.txt"));
    // A listed file that vanished before the build is left out and told.
    archive.QueueFile(data, "gone.txt");
    archive.Build();
    EXPECT_EQ(events.leftOut, std::vector<std::string>{data + "gone.txt"});
}

TEST_F(TzArchiveTest, AStopDuringTheBuildRaisesTheCancelCodeAndLeavesNoArchive) {
    TzArchive archive(&root, &settings);
    archive.SetEvents(&events);
    events.stop = true;
    archive.QueueFile(data, "a.txt");
    try {
        archive.Build();
        ADD_FAILURE() << "the build went on";
    } catch (const ZipCancelled& stop) {
        EXPECT_EQ(stop.Code(), kZipCancelledCode);
    }
    EXPECT_EQ(test::ListFolder(folder + "/T"), std::vector<std::string>{});
}
