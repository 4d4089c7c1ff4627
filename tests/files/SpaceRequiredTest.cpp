#include "files/SpaceRequired.h"
#include "files/FD.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace kelvo;

namespace {

// Two file systems: "/disk" with 1,000 KB free, and everything else with plenty.
struct FakeSystems : FileSystems {
    std::string DeviceOf(const std::string& path) const override {
        return path.rfind("/disk", 0) == 0 ? "disk" : "other";
    }
    std::optional<uint64_t> FreeBytes(const std::string& path) const override {
        return DeviceOf(path) == "disk" ? 1000 * 1024 : 1ull << 40;
    }
};

} // namespace

TEST(SpaceRequiredTest, TheRunStopsWhenTheSumOfItsRootsDoesNotFit) {
    FakeSystems systems;
    TSpaceRequiredCollection space(systems);
    EXPECT_NO_THROW(CheckSpace(space, kLocalFolder, "/disk/backup", 600 * 1024));
    EXPECT_NO_THROW(CheckSpace(space, kLocalFolder, "/elsewhere", 500 * 1024));
    try {
        CheckSpace(space, kLocalFolder, "/disk/backup/x", 500 * 1024);
        ADD_FAILURE();
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Not enough free space on destination");
    }
    ASSERT_EQ(space.Records().size(), 2u);
    EXPECT_EQ(space.Records()[0].FRequiredKB, 1100);
    EXPECT_EQ(space.Records()[0].FAvailableKB, 1000);
    // Not checked at all: discs, empty paths, network paths.
    for (const auto& [type, path] : std::vector<std::pair<int, std::string>>{
             {kOpticalDisc, "/disk/x"}, {kLocalFolder, ""}, {kLanFolder, "//server/share"}})
        EXPECT_NO_THROW(CheckSpace(space, type, path, int64_t{1} << 40)) << path;
    EXPECT_FALSE(space.Require("/disk/y", 0)) << "the drive stays over its free space";
}

TEST(SpaceRequiredTest, RealFileSystemsAndSizesAbove4GiB) {
    const std::string folder = test::MakeTempFolder("space");
    TSpaceRequiredCollection space;
    EXPECT_TRUE(space.Require(folder + "/not/yet/there", 1024));
    EXPECT_FALSE(space.Records()[0].FDrive.empty()) << "the nearest existing folder counts";
    const std::string big = folder + "/big.bin";
    const int fd = ::open(big.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (int64_t{5} << 30) + 3), 0); // sparse
    ::close(fd);
    EXPECT_EQ(FileSize(big), (int64_t{5} << 30) + 3);
    EXPECT_EQ(FileSize(folder + "/missing"), 0);
}
