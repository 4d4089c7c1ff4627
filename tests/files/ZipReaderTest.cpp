#include "files/zip/ZipReader.h"
#include "files/zip/ZipWriter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace kelvo;
using test::RunProcess;

namespace {

class ZipReaderTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("unzip");
    std::string source = folder + "/src";
    SystemTime when = SystemTime(std::chrono::seconds(1765450000));
    std::string noise;

    void SetUp() override {
        std::mt19937 random(3);
        noise.resize(200000);
        for (char& c : noise)
            c = static_cast<char>(random());
        test::WriteFile(source + "/a.txt", std::string(100000, 'a') + "end");
        test::WriteFile(source + "/sub/noise.bin", noise);
        test::WriteFile(source + "/sub/empty", "");
    }
    // Runs a peer in the source folder.
    void Peer(const std::vector<std::string>& args) {
        std::vector<std::string> command = {"/usr/bin/env", "-C", source};
        command.insert(command.end(), args.begin(), args.end());
        const test::ProcessResult result = RunProcess(command);
        ASSERT_EQ(result.exitCode, 0) << result.out << result.err;
    }
    void ExpectSourceContent(const std::string& archive, const std::string& password = "") {
        ZipReader zip(archive);
        const ZipMember* a = zip.Find("a.txt");
        const ZipMember* n = zip.Find("sub/noise.bin");
        const ZipMember* e = zip.Find("sub/empty");
        ASSERT_TRUE(a && n && e) << archive;
        EXPECT_EQ(zip.Read(*a, password), std::string(100000, 'a') + "end");
        EXPECT_EQ(zip.Read(*n, password), noise);
        EXPECT_EQ(zip.Read(*e, password), "");
        const std::string target = folder + "/out.bin";
        zip.Extract(*n, target, password);
        EXPECT_EQ(test::ReadFile(target), noise);
    }
};

} // namespace

TEST_F(ZipReaderTest, ReadsWhatOurWriterWrote) {
    const std::string archive = folder + "/ours.zip";
    for (const std::string password : {"", "pw"}) {
        {
            ZipWriter zip(archive, password);
            zip.ForceZip64ForTesting();
            zip.AddFile(source + "/a.txt", "a.txt", 9);
            zip.AddFile(source + "/sub/noise.bin", "sub/noise.bin", 6);
            zip.AddFile(source + "/sub/empty", "sub/empty", 0);
            zip.AddFolder({"sub/", when, 0755, 0});
            zip.Finish();
        }
        ExpectSourceContent(archive, password);
        ZipReader zip(archive);
        ASSERT_EQ(zip.Members().size(), 4u);
        EXPECT_EQ(zip.Members()[0].Encrypted, !password.empty());
        EXPECT_EQ(zip.Members()[3].Name, "sub/");
        EXPECT_TRUE(zip.Members()[3].IsFolder());
        struct stat info {};
        ::stat((source + "/a.txt").c_str(), &info);
        EXPECT_EQ(zip.Members()[0].Modified, SystemTime(std::chrono::seconds(info.st_mtime)));
        EXPECT_EQ(zip.Members()[0].UnixMode & 0777, info.st_mode & 0777);
    }
}

TEST_F(ZipReaderTest, ReadsArchivesOfInfoZipAnd7Zip) {
    Peer({"/usr/bin/zip", "-q", "-r", folder + "/zip.zip", "."});
    ExpectSourceContent(folder + "/zip.zip");
    Peer({"/usr/bin/zip", "-q", "-r", "-0", folder + "/stored.zip", "."});
    ExpectSourceContent(folder + "/stored.zip");
    Peer({"/usr/bin/zip", "-q", "-r", "-P", "zip pw", folder + "/crypt.zip", "."});
    ExpectSourceContent(folder + "/crypt.zip", "zip pw");
    Peer({"/usr/bin/7z", "a", "-tzip", "-mx=5", "-p7z pw", folder + "/7z.zip", "."});
    ExpectSourceContent(folder + "/7z.zip", "7z pw");
}

TEST_F(ZipReaderTest, ReadsSplitSetsOfInfoZip) {
    Peer({"/usr/bin/zip", "-q", "-r", "-0", "-s", "64k", folder + "/split.zip", "."});
    EXPECT_TRUE(test::Exists(folder + "/split.z03")); // the noise spans several volumes
    ExpectSourceContent(folder + "/split.zip");
    Peer({"/usr/bin/zip", "-q", "-r", "-P", "pw", "-s", "64k", folder + "/crypt.zip", "."});
    ExpectSourceContent(folder + "/crypt.zip", "pw");
    ::unlink((folder + "/split.z02").c_str());
    try {
        ZipReader broken(folder + "/split.zip");
        ADD_FAILURE() << "a set without a volume opened";
    } catch (const ZipError& error) {
        EXPECT_NE(std::string(error.what()).find("split.z02"), std::string::npos) << error.what();
    }
}

TEST_F(ZipReaderTest, ReadsAnArchiveBehindAPrefix) {
    Peer({"/usr/bin/zip", "-q", "-r", folder + "/plain.zip", "."});
    const std::string stub(5000, '\x7f');
    test::WriteFile(folder + "/sfx.zip", stub + test::ReadFile(folder + "/plain.zip"));
    ExpectSourceContent(folder + "/sfx.zip"); // offsets as they were: the prefix is found
    Peer({"/usr/bin/zip", "-q", "-A", folder + "/sfx.zip"});
    ExpectSourceContent(folder + "/sfx.zip"); // offsets adjusted for the prefix
}

TEST_F(ZipReaderTest, AWrongPasswordIsToldApart) {
    Peer({"/usr/bin/zip", "-q", "-r", "-P", "right", folder + "/crypt.zip", "."});
    ZipReader zip(folder + "/crypt.zip");
    try {
        zip.Read(*zip.Find("sub/noise.bin"), "wrong");
        FAIL() << "a wrong password must fail";
    } catch (const ZipError& error) {
        EXPECT_NE(std::string(error.what()).find("password"), std::string::npos) << error.what();
    }
    EXPECT_THROW(zip.Extract(*zip.Find("a.txt"), folder + "/out", "wrong"), ZipError);
    EXPECT_FALSE(test::Exists(folder + "/out"));
}

TEST_F(ZipReaderTest, DamagedArchivesRaiseErrors) {
    Peer({"/usr/bin/zip", "-q", "-r", folder + "/good.zip", "."});
    const std::string good = test::ReadFile(folder + "/good.zip");
    struct Case {
        const char* what;
        std::string data;
    };
    std::string flipped = good;
    flipped[200] ^= 0x55; // inside the first member's data
    std::string lying = good;
    const size_t central = lying.find("PK\x01\x02");
    lying[central + 24] = 1; // first member: stated size 1 byte
    lying[central + 25] = lying[central + 26] = lying[central + 27] = 0;
    const Case cases[] = {
        {"empty", ""},
        {"no archive", std::string(1000, 'x')},
        {"truncated", good.substr(0, good.size() / 2)},
        {"flipped data", flipped},
        {"lying size", lying},
    };
    for (const Case& c : cases) {
        test::WriteFile(folder + "/bad.zip", c.data);
        try {
            ZipReader zip(folder + "/bad.zip");
            for (const ZipMember& member : zip.Members())
                zip.Read(member);
            ADD_FAILURE() << c.what << " read without an error";
        } catch (const ZipError&) {
        }
    }
}

TEST(ZipNamesTest, OnlyRelativeNamesInsideTheFolderAreSafe) {
    for (const char* name : {"a.txt", "dir/b", "dir/", "..a", "a..b/c"})
        EXPECT_TRUE(IsSafeMemberName(name)) << name;
    for (const char* name : {"", "/etc/passwd", "../x", "a/../../x", "a\\b", "a/.."})
        EXPECT_FALSE(IsSafeMemberName(name)) << name;
    EXPECT_FALSE(IsSafeMemberName(std::string("a\0b", 3)));
}
