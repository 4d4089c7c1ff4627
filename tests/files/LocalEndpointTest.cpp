#include "files/Transfer.h"
#include "files/fDestination.h"
#include "files/fSource.h"
#include "files/zArchive.h"
#include "platform/FileSystem.h"
#include "support/TestEnvironment.h"
#include "task/KBT.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;

namespace {

struct RecordingHost : EndpointHost {
    int64_t transferred = 0;
    int files = 0, refreshes = 0;
    std::vector<std::string> disc;
    void Transferred(int64_t bytes) override { transferred += bytes; }
    void FileTransferred() override { ++files; }
    void RefreshRow() override { ++refreshes; }
    void AddDiscFile(const std::string& path) override { disc.push_back(path); }
    void ShowMessage(const std::string&) override {}
};

// A stream that fails after its first chunk.
struct FailingStream : TStream {
    size_t reads = 0;
    int64_t Size() const override { return 1 << 20; }
    void Rewind() override { reads = 0; }
    size_t Read(void* buffer, size_t size) override {
        if (reads++ > 0)
            throw std::runtime_error("the disk went away");
        std::memset(buffer, 'x', size);
        return size;
    }
};

class LocalEndpointTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("endpoint");
    TDir root{2};
    void SetUp() override { root.SetPath(folder + "/dest"); }
};

} // namespace

TEST_F(LocalEndpointTest, DestinationOperationsOnALocalFolder) {
    TfDestination destination(&root);
    const std::string deep = folder + "/dest/a/b/c";
    EXPECT_TRUE(destination.MakeDir(deep));
    EXPECT_TRUE(destination.DirectoryExists(deep));
    KBT task(folder + "/", "task");
    RecordingHost host;
    task.RunHost = &host;
    root.FTask = &task; // the endpoint reaches the run through its owner's task
    MemoryStream text(std::string(300000, 't')); // three chunks
    EXPECT_EQ(destination.Write(text, deep + "/t.txt"), 300000);
    EXPECT_EQ(host.transferred, 300000);
    EXPECT_GE(host.refreshes, 3);
    EXPECT_EQ(destination.FBusy, 0);
    root.FTask = nullptr;
    EXPECT_EQ(test::ReadFile(deep + "/t.txt"), std::string(300000, 't'));
    MemoryStream empty("");
    EXPECT_EQ(destination.Write(empty, deep + "/empty"), 1) << "an empty stream answers 1";
    EXPECT_TRUE(destination.FileExists(deep + "/empty"));
    EXPECT_FALSE(destination.FileExists(deep)) << "a folder is no file";
    const auto read = destination.OpenRead(deep + "/t.txt");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->Size(), 300000);
    EXPECT_FALSE(destination.OpenRead(deep + "/missing"));
    EXPECT_EQ(destination.Write(text, folder + "/no/such/folder/x"), 0);
    EXPECT_TRUE(destination.DeleteFile(deep + "/empty"));
    EXPECT_TRUE(destination.DeleteFile(deep + "/empty")) << "deleting a missing file is fine";
    EXPECT_TRUE(destination.RemoveDir(folder + "/dest/a"));
    EXPECT_FALSE(test::Exists(folder + "/dest/a"));
}

TEST_F(LocalEndpointTest, AFailedWriteLeavesTheEarlierFileAndNoTemporary) {
    TfDestination destination(&root);
    ASSERT_TRUE(destination.MakeDir(folder + "/dest"));
    test::WriteFile(folder + "/dest/keep.txt", "the earlier copy");
    FailingStream failing;
    EXPECT_EQ(destination.Write(failing, folder + "/dest/keep.txt"), 0);
    EXPECT_EQ(test::ReadFile(folder + "/dest/keep.txt"), "the earlier copy");
    EXPECT_EQ(test::ListFolder(folder + "/dest"), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(destination.FBusy, 0) << "the progress ended";
}

TEST_F(LocalEndpointTest, RemovableDestinationsMustBeOnAMountedMedium) {
    TDir absent(2);
    absent.SetPath("/kelvo-no-such-medium/backup"); // only "/" exists: nothing mounted
    TfDestination removable(&absent);
    removable.SetKind(kRemovableDisk);
    try {
        removable.Connect();
        ADD_FAILURE() << "connected without a medium";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Drive not accessible.");
    }
    TfDestination here(&root);
    here.SetKind(kOpticalDisc);
    const bool mounted = MountPointOf(folder) != "/";
    if (mounted)
        EXPECT_TRUE(here.Connect());
    else
        EXPECT_THROW(here.Connect(), std::runtime_error);
    TfDestination local(&absent); // a local folder needs no medium
    EXPECT_TRUE(local.Connect());
}

TEST_F(LocalEndpointTest, LanFoldersAreReachedWhereTheyAreMounted) {
    TfDestination share(&root);
    share.SetKind(kLanFolder);
    share.FRemoteName = folder + "/not-mounted";
    try {
        share.Connect();
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("LAN folder not accessible: (" + folder + "/not-mounted: ", 0), 0u)
            << text;
        EXPECT_EQ(text.back(), ')');
    }
    share.FRemoteName = folder;
    EXPECT_TRUE(share.Connect());
    EXPECT_TRUE(share.Disconnect());
    TfSource source;
    source.SetKind(kLanFolder);
    source.FRemoteName = folder + "/not-mounted";
    EXPECT_FALSE(source.Connect()) << "a source only logs and answers false";
}

TEST_F(LocalEndpointTest, TransfersCarryContentModeAndTimes) {
    RecordingHost host;
    const std::string source = folder + "/src.txt";
    test::WriteFile(source, "payload");
    ::chmod(source.c_str(), 0640);
    const timespec times[2] = {{1700000000, 0}, {1700000000, 0}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    TfSource from;
    TfDestination to(&root);
    ASSERT_TRUE(to.MakeDir(folder + "/dest"));
    TTransfer transfer(&host, kLocalFolder);
    const std::string target = folder + "/dest/src.txt";
    EXPECT_EQ(transfer.SourceToDestination(from, to, target, source), 7);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1700000000);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(transfer.SourceToDestination(from, to, target, folder + "/missing"), 0);
    EXPECT_EQ(transfer.DestinationToSource(to, from, folder + "/back.txt", target), 7);
    EXPECT_EQ(test::ReadFile(folder + "/back.txt"), "payload");
    TTransfer disc(&host, kOpticalDisc);
    EXPECT_EQ(disc.SourceToDestination(from, to, target, source), 1);
    EXPECT_EQ(host.disc, std::vector<std::string>{source});
    test::WriteFile(folder + "/empty", "");
    EXPECT_EQ(transfer.SourceToDestination(from, to, folder + "/dest/empty", folder + "/empty"), 1);
    EXPECT_TRUE(test::Exists(folder + "/dest/empty"));
}

TEST_F(LocalEndpointTest, ArchiveMembersComeBackWithTheirTimes) {
    const std::string source = folder + "/member.txt";
    test::WriteFile(source, "in the archive");
    const timespec times[2] = {{1600000000, 0}, {1600000000, 0}};
    ::utimensat(AT_FDCWD, source.c_str(), times, 0);
    TAr settings;
    settings.FArchiveName = folder + "/A";
    settings.FQuality = 6;
    TzArchive archive(&root, &settings);
    archive.QueueFile(folder + "/", "member.txt");
    archive.Build();
    TfSource to;
    TTransfer transfer(nullptr, kLocalFolder);
    const std::string member = ZipArchiveFile::MemberName(source);
    const std::string target = folder + "/restored.txt";
    EXPECT_EQ(transfer.ArchiveToSource(archive, to, target, member), 14);
    EXPECT_EQ(test::ReadFile(target), "in the archive");
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1600000000);
    EXPECT_EQ(transfer.ArchiveToSource(archive, to, target, "no/such/member"), 0);
}
