#include "files/zip/ZipWriter.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace kelvo;
using test::RunProcess;

namespace {

class ZipWriterTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("zip");
    std::string archive = folder + "/A.zip";
    SystemTime when = SystemTime(std::chrono::seconds(1765450000)); // 11 Dec 2025

    // Members of every kind: compressible, random, empty, non-ASCII, nested, a folder.
    void AddMembers(ZipWriter& zip, int level) {
        std::string text;
        for (int i = 0; i < 20000; ++i)
            text += "line " + std::to_string(i % 97) + " of a log that repeats itself\n";
        std::mt19937 random(7);
        std::string noise(300000, '\0');
        for (char& c : noise)
            c = static_cast<char>(random());
        zip.AddData(text, {"docs/log.txt", when, 0100644, level});
        zip.AddData(noise, {"docs/noise.bin", when, 0100600, level});
        zip.AddData("", {"empty.txt", when, 0100644, level});
        zip.AddData("grüße\n", {"Übersicht/Straße.txt", when, 0100644, level});
        zip.AddFolder({"Übersicht/leer", when, 0755, level});
        test::WriteFile(folder + "/on-disk.sh", "#!/bin/sh\necho hi\n");
        ::chmod((folder + "/on-disk.sh").c_str(), 0750);
        zip.AddFile(folder + "/on-disk.sh", "bin/on-disk.sh", level);
    }

    // Python's zipfile reads every member back and checks them.
    std::string PythonCheck(const std::string& password = "") {
        const std::string script = R"(
import sys, zipfile, hashlib, random
z = zipfile.ZipFile(sys.argv[1])
pwd = sys.argv[2].encode() if len(sys.argv) > 2 else None
assert z.testzip() is None if pwd is None else True
out = []
for i in z.infolist():
    data = z.read(i, pwd=pwd)
    out.append('%s %o %d %s %s' % (i.filename, i.external_attr >> 16, len(data),
               hashlib.md5(data).hexdigest()[:8], '%04d-%02d-%02d' % i.date_time[:3]))
print('\n'.join(out))
)";
        std::vector<std::string> args = {"/usr/bin/python3", "-c", script, archive};
        if (!password.empty())
            args.push_back(password);
        const test::ProcessResult result = RunProcess(args);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        return result.out;
    }

    void PeersAccept(const std::string& password = "") {
        std::vector<std::string> unzip = {"/usr/bin/unzip", "-t", "-q"};
        if (!password.empty())
            unzip.insert(unzip.end(), {"-P", password});
        unzip.push_back(archive);
        const test::ProcessResult u = RunProcess(unzip);
        EXPECT_EQ(u.exitCode, 0) << u.out << u.err;
        std::vector<std::string> seven = {"/usr/bin/7z", "t", archive};
        if (!password.empty())
            seven.push_back("-p" + password);
        const test::ProcessResult s = RunProcess(seven);
        EXPECT_EQ(s.exitCode, 0) << s.out << s.err;
    }
};

} // namespace

TEST_F(ZipWriterTest, PeersReadEveryKindOfMemberAtEveryLevel) {
    for (int level : {0, 1, 6, 9}) {
        {
            ZipWriter zip(archive);
            AddMembers(zip, level);
            zip.Finish();
        }
        PeersAccept();
        const std::string listing = PythonCheck();
        EXPECT_NE(listing.find("docs/log.txt 100644 "), std::string::npos) << listing;
        EXPECT_NE(listing.find("docs/noise.bin 100600 300000 "), std::string::npos);
        EXPECT_NE(listing.find("empty.txt 100644 0 d41d8cd9"), std::string::npos);
        EXPECT_NE(listing.find("Übersicht/Straße.txt 100644 8 "), std::string::npos);
        EXPECT_NE(listing.find("Übersicht/leer/ 40755 0 "), std::string::npos);
        EXPECT_NE(listing.find("bin/on-disk.sh 100750 18 "), std::string::npos);
        EXPECT_NE(listing.find(" 2025-12-1"), std::string::npos); // local date of the stamp
    }
}

TEST_F(ZipWriterTest, DeflateShrinksTextAndStoreKeepsItAsIs) {
    std::string text(500000, 'a');
    {
        ZipWriter zip(archive);
        zip.AddData(text, {"a.txt", when, 0100644, 6});
        zip.Finish();
    }
    struct stat info {};
    ASSERT_EQ(::stat(archive.c_str(), &info), 0);
    EXPECT_LT(info.st_size, 5000);
    {
        ZipWriter zip(archive);
        zip.AddData(text, {"a.txt", when, 0100644, 0});
        zip.Finish();
    }
    ASSERT_EQ(::stat(archive.c_str(), &info), 0);
    EXPECT_GT(info.st_size, 500000);
}

TEST_F(ZipWriterTest, AZipPasswordIsNeededToReadTheMembers) {
    {
        ZipWriter zip(archive, "s3cret pw");
        AddMembers(zip, 6);
        zip.Finish();
    }
    PeersAccept("s3cret pw");
    EXPECT_NE(PythonCheck("s3cret pw").find("docs/noise.bin 100600 300000"), std::string::npos);
    const test::ProcessResult wrong =
        RunProcess({"/usr/bin/unzip", "-t", "-q", "-P", "wrong", archive});
    EXPECT_NE(wrong.exitCode, 0);
}

TEST_F(ZipWriterTest, Zip64RecordsAreReadByEveryPeer) {
    {
        ZipWriter zip(archive, "pw");
        zip.ForceZip64ForTesting();
        AddMembers(zip, 6);
        zip.Finish();
    }
    PeersAccept("pw");
    EXPECT_NE(PythonCheck("pw").find("docs/log.txt 100644 "), std::string::npos);
}

TEST_F(ZipWriterTest, MoreThan65535MembersGetAZip64End) {
    {
        ZipWriter zip(archive);
        for (int i = 0; i < 70000; ++i)
            zip.AddData(std::to_string(i), {"m/" + std::to_string(i), when, 0100644, 0});
        zip.Finish();
    }
    const test::ProcessResult count = RunProcess(
        {"/usr/bin/python3", "-c",
         "import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); assert z.testzip() is None; "
         "print(len(z.infolist()), z.read('m/69999'))",
         archive});
    EXPECT_EQ(count.out, "70000 b'69999'\n") << count.err;
    const test::ProcessResult u = RunProcess({"/usr/bin/unzip", "-t", "-q", archive});
    EXPECT_EQ(u.exitCode, 0) << u.out << u.err;
}

TEST_F(ZipWriterTest, AnUnfinishedOrFailedArchiveLeavesNothingBehind) {
    {
        ZipWriter zip(archive);
        zip.AddData("x", {"x.txt", when, 0100644, 6});
    }
    EXPECT_TRUE(test::ListFolder(folder).empty());
    {
        ZipWriter zip(archive);
        EXPECT_THROW(zip.AddFile(folder + "/missing.txt", "missing.txt", 6), std::runtime_error);
    }
    EXPECT_TRUE(test::ListFolder(folder).empty());
    test::WriteFile(archive, "the previous archive");
    {
        ZipWriter zip(archive);
        zip.AddData("x", {"x.txt", when, 0100644, 6});
    }
    EXPECT_EQ(test::ReadFile(archive), "the previous archive"); // untouched until Finish
}
