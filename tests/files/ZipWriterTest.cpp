#include "files/zip/ZipWriter.h"
#include "files/zip/ZipReader.h"
#include "support/TestEnvironment.h"

#include <algorithm>
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
        test::WriteFile(folder + "/large.bin", LargeMixed()); // read in several chunks
        zip.AddFile(folder + "/large.bin", "docs/large.bin", level);
        zip.AddData("", {"empty.txt", when, 0100644, level});
        zip.AddData("grüße\n", {"Übersicht/Straße.txt", when, 0100644, level});
        zip.AddFolder({"Übersicht/leer", when, 0755, level});
        test::WriteFile(folder + "/on-disk.sh", "#!/bin/sh\necho hi\n");
        ::chmod((folder + "/on-disk.sh").c_str(), 0750);
        zip.AddFile(folder + "/on-disk.sh", "bin/on-disk.sh", level);
    }

    // Text and noise over several compression chunks, with a short last one.
    static std::string LargeMixed() {
        std::mt19937 random(11);
        std::string data;
        while (data.size() < 3500000) {
            for (int i = 0; i < 2000; ++i)
                data += "record " + std::to_string(random() % 1000) + ";";
            for (int i = 0; i < 50000; ++i)
                data += static_cast<char>(random());
        }
        data.resize(3500000);
        return data;
    }

    std::vector<std::string> Files() { return test::ListFolder(folder); }

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
        EXPECT_NE(listing.find("docs/large.bin 100644 3500000 "), std::string::npos);
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
    EXPECT_TRUE(Files().empty());
    test::WriteFile(archive, "the previous archive");
    {
        ZipWriter zip(archive);
        zip.AddData(LargeMixed(), {"big.bin", when, 0100644, 6});
        zip.AddFile(folder, "a-folder-cannot-be-read", 6);
        EXPECT_THROW(zip.Finish(), ZipError);
    }
    EXPECT_EQ(test::ReadFile(archive), "the previous archive");
    EXPECT_EQ(Files(), std::vector<std::string>{"A.zip"});
}

namespace {

struct RecordingProgress : ZipProgress {
    std::vector<std::string> started, skipped;
    std::vector<int> percents;
    uint64_t bytes = 0;
    size_t stopAfter = SIZE_MAX;
    void MemberStarted(const std::string& name) override { started.push_back(name); }
    void Advanced(uint64_t step, int percent) override {
        bytes += step;
        percents.push_back(percent);
    }
    void Skipped(const std::string& source, const std::string& reason) override {
        skipped.push_back(source + ": " + reason);
    }
    bool StopRequested() override { return started.size() >= stopAfter; }
};

} // namespace

TEST_F(ZipWriterTest, ProgressRunsToAHundredAndAMissingFileIsSkipped) {
    test::WriteFile(folder + "/there.txt", std::string(1000, 't'));
    RecordingProgress progress;
    {
        ZipWriter zip(archive);
        test::WriteFile(folder + "/large.bin", LargeMixed());
        zip.AddFile(folder + "/large.bin", "large.bin", 6);
        zip.AddFile(folder + "/missing.txt", "missing.txt", 6);
        zip.AddFile(folder + "/there.txt", "there.txt", 6);
        const ZipResult result = zip.Finish(&progress);
        EXPECT_EQ(result.Members, 2u);
        EXPECT_EQ(result.Original, 3501000u);
        EXPECT_EQ(result.Volumes, std::vector<std::string>{archive});
    }
    EXPECT_EQ(progress.started, (std::vector<std::string>{"large.bin", "there.txt"}));
    ASSERT_EQ(progress.skipped.size(), 1u);
    EXPECT_NE(progress.skipped[0].find("missing.txt: No such file"), std::string::npos);
    EXPECT_EQ(progress.bytes, 3501000u);
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
    EXPECT_GT(progress.percents.size(), 3u); // the large member reports per chunk
    EXPECT_EQ(progress.percents.back(), 100);
    PeersAccept();
}

TEST_F(ZipWriterTest, AStopEndsTheBuildWithItsCodeAndLeavesThePreviousArchive) {
    test::WriteFile(archive, "the previous archive");
    RecordingProgress progress;
    progress.stopAfter = 1;
    ZipWriter zip(archive);
    zip.AddData(LargeMixed(), {"large.bin", when, 0100644, 6});
    zip.AddData("second", {"second.txt", when, 0100644, 6});
    try {
        zip.Finish(&progress);
        ADD_FAILURE() << "the build went on";
    } catch (const ZipCancelled& stop) {
        EXPECT_EQ(stop.Code(), 10120);
    }
    EXPECT_EQ(progress.started.size(), 1u);
    EXPECT_EQ(test::ReadFile(archive), "the previous archive");
    EXPECT_EQ(Files(), std::vector<std::string>{"A.zip"});
}

TEST_F(ZipWriterTest, TheBytesDoNotDependOnTheNumberOfThreads) {
    test::WriteFile(folder + "/large.bin", LargeMixed());
    std::string first;
    for (unsigned threads : {1u, 2u, 5u}) {
        ZipWriterSettings settings;
        settings.Threads = threads;
        ZipWriter zip(archive, settings);
        zip.AddFile(folder + "/large.bin", "large.bin", 6);
        for (int i = 0; i < 50; ++i)
            zip.AddData(std::string(i * 1000, 'a' + i % 26), {std::to_string(i), when, 0100644, 6});
        zip.Finish();
        const std::string bytes = test::ReadFile(archive);
        if (first.empty())
            first = bytes;
        EXPECT_TRUE(bytes == first) << threads << " threads";
    }
}

// Info-ZIP's join (zip -s 0) of this Debian release garbles members that span
// more than two volumes, its own sets' as well, and the local names of
// encrypted UTF-8 members (also when it copies an unsplit archive); 7-Zip
// reads any set as it is.
TEST_F(ZipWriterTest, SplitVolumesAreReadByThePeers) {
    for (const std::string password : {"", "pw"}) {
        for (uint64_t volume : {256u << 10, 2u << 20}) {
            SCOPED_TRACE("password \"" + password + "\", volume " + std::to_string(volume));
            for (int i = 1; i <= 20; ++i) // an earlier, longer set
                test::WriteFile(folder + (i < 10 ? "/A.z0" : "/A.z") + std::to_string(i), "old");
            ZipWriterSettings settings;
            settings.Password = password;
            settings.VolumeSize = volume;
            ZipWriter zip(archive, settings);
            AddMembers(zip, 1);
            const ZipResult result = zip.Finish();
            ASSERT_GE(result.Volumes.size(), 2u);
            EXPECT_EQ(result.Volumes.back(), archive);
            EXPECT_EQ(result.Volumes.front(), folder + "/A.z01");
            uint64_t total = 0;
            for (const std::string& name : result.Volumes) {
                struct stat info {};
                ASSERT_EQ(::stat(name.c_str(), &info), 0) << name;
                EXPECT_LE(static_cast<uint64_t>(info.st_size), volume);
                total += static_cast<uint64_t>(info.st_size);
            }
            EXPECT_EQ(total, result.ArchiveSize);
            EXPECT_EQ(Files().size(), result.Volumes.size() + 2) << "stale volumes are gone";
            std::vector<std::string> seven = {"/usr/bin/7z", "t", archive};
            if (!password.empty())
                seven.push_back("-p" + password);
            const test::ProcessResult s = RunProcess(seven);
            EXPECT_EQ(s.exitCode, 0) << s.out << s.err;
            ZipReader set(archive); // our reader takes the set as it is
            EXPECT_EQ(set.Read(*set.Find("docs/large.bin"), password), LargeMixed());
            if (result.Volumes.size() == 2 && password.empty()) {
                const std::string joined = folder + "/J.zip";
                const test::ProcessResult join =
                    RunProcess({"/usr/bin/env", "LC_ALL=C.UTF-8", "/usr/bin/zip", "-q", "-s", "0",
                                archive, "--out", joined});
                ASSERT_EQ(join.exitCode, 0) << join.out << join.err;
                std::vector<std::string> unzip = {"/usr/bin/unzip", "-t", "-q"};
                if (!password.empty())
                    unzip.insert(unzip.end(), {"-P", password});
                unzip.push_back(joined);
                const test::ProcessResult u = RunProcess(unzip);
                EXPECT_EQ(u.exitCode, 0) << u.out << u.err;
                ::unlink(joined.c_str());
            }
            for (const std::string& name : result.Volumes)
                ::unlink(name.c_str());
        }
    }
}

TEST_F(ZipWriterTest, RawCopiesKeepTheStoredBytesOfAnotherArchive) {
    const std::string base = folder + "/base.zip";
    test::WriteFile(folder + "/src/log.txt", LargeMixed());
    for (const std::string password : {"", "pw"}) {
        std::vector<std::string> command = {"/usr/bin/env", "-C", folder + "/src", "/usr/bin/zip",
                                            "-q"};
        if (!password.empty())
            command.insert(command.end(), {"-P", password});
        command.insert(command.end(), {base, "log.txt"});
        ASSERT_EQ(RunProcess(command).exitCode, 0);
        const ZipReader from(base);
        const ZipMember& stored = from.Members().at(0);
        {
            ZipWriter zip(archive, password);
            zip.AddRaw(from, stored);
            zip.AddData("new", {"new.txt", when, 0100644, 6});
            zip.Finish();
        }
        const ZipReader copy(archive);
        const ZipMember* copied = copy.Find("log.txt");
        ASSERT_TRUE(copied);
        EXPECT_EQ(copied->Crc, stored.Crc);
        EXPECT_EQ(copy.ReadRaw(*copied, 0, copied->CompressedSize),
                  from.ReadRaw(stored, 0, stored.CompressedSize));
        EXPECT_EQ(copy.Read(*copied, password), LargeMixed());
        PeersAccept(password);
        ::unlink(base.c_str());
    }
}
