#include "files/zip/ZipArchiveFile.h"
#include "support/TestEnvironment.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace kelvo;
using test::RunProcess;

namespace {

class ZipArchiveFileTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("update");
    std::string source = folder + "/src";
    std::string archive = folder + "/A.zip";

    std::string Text(char c) { return std::string(200000, c) + "\n"; }
    // The base archive as another tool made it, at a level we never use.
    void MakeBase(const std::string& password) {
        test::WriteFile(source + "/a.txt", Text('a'));
        test::WriteFile(source + "/b.txt", Text('b'));
        test::WriteFile(source + "/c.txt", Text('c'));
        std::vector<std::string> zip = {"/usr/bin/env", "-C", source, "/usr/bin/zip", "-q", "-9"};
        if (!password.empty())
            zip.insert(zip.end(), {"-P", password});
        zip.insert(zip.end(), {archive, "a.txt", "b.txt", "c.txt"});
        ASSERT_EQ(RunProcess(zip).exitCode, 0);
    }
    ZipArchiveSettings Settings(int level, const std::string& password = "") {
        ZipArchiveSettings settings;
        settings.Path = archive;
        settings.Level = level;
        settings.Password = password;
        return settings;
    }
    std::vector<std::string> Names(const std::string& path) {
        std::vector<std::string> names;
        const ZipReader reader(path);
        for (const ZipMember& member : reader.Members())
            names.push_back(member.Name);
        return names;
    }
};

} // namespace

TEST_F(ZipArchiveFileTest, ReplacesListedMembersKeepsTheOthersAndCopiesUnchangedOnesAsStored) {
    MakeBase("");
    const std::string before = [&] {
        const ZipReader base(archive);
        return base.ReadRaw(*base.Find("a.txt"), 0, base.Find("a.txt")->CompressedSize);
    }();
    test::WriteFile(source + "/b.txt", Text('B')); // same size, new content and time
    struct stat info {};
    ::stat((source + "/b.txt").c_str(), &info);
    const timespec later[2] = {{info.st_mtim.tv_sec + 10, 0}, {info.st_mtim.tv_sec + 10, 0}};
    ::utimensat(AT_FDCWD, (source + "/b.txt").c_str(), later, 0);
    test::WriteFile(source + "/d.txt", "new");
    ZipArchiveFile file(Settings(1));
    for (const char* name : {"a.txt", "b.txt", "d.txt"})
        file.Queue(source + "/" + name, name);
    const ZipResult result = file.Add();
    EXPECT_EQ(result.Members, 4u);
    EXPECT_TRUE(file.List().empty());
    EXPECT_EQ(Names(archive), (std::vector<std::string>{"a.txt", "b.txt", "c.txt", "d.txt"}));
    const ZipReader after(archive);
    const ZipMember& a = *after.Find("a.txt");
    EXPECT_EQ(after.ReadRaw(a, 0, a.CompressedSize), before)
        << "copied as the other tool stored it";
    EXPECT_EQ(after.Read(*after.Find("b.txt")), Text('B'));
    EXPECT_EQ(after.Read(*after.Find("c.txt")), Text('c'));
    EXPECT_EQ(file.ReadMember("d.txt"), "new");
    EXPECT_TRUE(file.HasMember("c.txt"));
    EXPECT_FALSE(file.HasMember("C.txt"));
    EXPECT_EQ(RunProcess({"/usr/bin/unzip", "-t", "-q", archive}).exitCode, 0);
}

TEST_F(ZipArchiveFileTest, MembersUnderAnotherPasswordAreEncryptedAgain) {
    MakeBase("old pw");
    ZipArchiveFile file(Settings(6, "new pw"));
    file.Queue(source + "/a.txt", "a.txt"); // unchanged, but under the old password
    file.Add();
    const ZipReader after(archive);
    EXPECT_EQ(after.Read(*after.Find("a.txt"), "new pw"), Text('a'));
    EXPECT_EQ(after.Read(*after.Find("b.txt"), "old pw"), Text('b'))
        << "not listed: kept as it was";
}

TEST_F(ZipArchiveFileTest, StoredNamesDropTheLeadingSlash) {
    EXPECT_EQ(ZipArchiveFile::MemberName("/home/ann/Data/a.txt"), "home/ann/Data/a.txt");
    EXPECT_EQ(ZipArchiveFile::MemberName("Plug/x/y.ini"), "Plug/x/y.ini");
}
