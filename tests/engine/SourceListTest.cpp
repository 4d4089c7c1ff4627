#include "engine/SourceList.h"
#include "support/TestEnvironment.h"
#include "task/KBT.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvo;

namespace {

class SourceListTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("sources");
    std::string data = folder + "/data";
    KBT task{folder + "/", "sources"};

    TDir& AddRoot(const std::string& include = "", const std::string& exclude = "") {
        task.FSource.Folders.push_back(std::make_unique<TDir>(1));
        TDir& root = *task.FSource.Folders.back();
        root.SetPath(data);
        root.FInclusionMasks = include;
        root.FExclusionMasks = exclude;
        return root;
    }
    static std::vector<std::string> Paths(const TDir& root, const std::string& base) {
        std::vector<std::string> paths;
        for (const auto& dir : root.FFoundDirs)
            paths.push_back(dir->FullName().substr(base.size() + 1) + "/");
        for (const auto& file : root.FFoundFiles)
            paths.push_back(file->FullName().substr(base.size() + 1));
        return paths;
    }
};

} // namespace

TEST_F(SourceListTest, FolderMasksHideFoldersButNotTheirFilesAndDotFoldersAreSkipped) {
    test::WriteFile(data + "/Docs/a.doc", "a");
    test::WriteFile(data + "/Docs/b.txt", "b");
    test::WriteFile(data + "/.config/secret.doc", "s");
    test::WriteFile(data + "/top.DOC", "t");
    task.FSource.AlsoFoldersMAsk = true;
    TDir& root = AddRoot("*.doc");
    CreateSourceList(task, {}, &root);
    EXPECT_EQ(Paths(root, data), (std::vector<std::string>{"Docs/a.doc", "top.DOC"}));
    ASSERT_EQ(root.FFiles.size(), 2u) << "Docs was not reported: its file hangs under the root";
    EXPECT_EQ(root.FFiles[0]->FParent, &root);
}

TEST_F(SourceListTest, AFullBuildSearchesEveryRootOnceWithTheTemporaryMasks) {
    test::WriteFile(data + "/keep.txt", "kept");
    test::WriteFile(data + "/x.tmp", "x");
    test::WriteFile(data + "/~lock", "l");
    test::WriteFile(data + "/Sub Folder/b.bak", "b");
    test::WriteFile(data + "/Sub Folder/c.txt", "c");
    test::WriteFile(folder + "/single.txt", "single");
    task.FSource.ExcludeTemp = true;
    task.FGeneral.Type = 0; // a backup task: signatures
    TDir& root = AddRoot("", "*.tmp");
    task.FSource.Files.push_back(std::make_unique<TFis>(1));
    task.FSource.Files.back()->SetPath(folder + "/single.txt");
    CreateSourceList(task, {{"~*", ""}, {"*.bak", ""}});
    EXPECT_EQ(Paths(root, data),
              (std::vector<std::string>{"Sub Folder/", "keep.txt", "Sub Folder/c.txt"}));
    EXPECT_TRUE(task.FSourceScanned);
    EXPECT_EQ(task.FSource.Files[0]->FSize, 6);
    EXPECT_NE(task.FSource.Files[0]->FCrc, 0u);
    EXPECT_NE(root.FFoundFiles[0]->FCrc, 0u);
    test::WriteFile(data + "/later.txt", "new");
    CreateSourceList(task, {});
    EXPECT_EQ(root.FFoundFiles.size(), 2u) << "a built list is not searched again";
}

// Root reads every folder: the search runs in a child that gave up its rights.
TEST_F(SourceListTest, AnUnreadableFolderIsLeftOutAndTheRestFound) {
    test::WriteFile(data + "/a/locked/x.txt", "x");
    test::WriteFile(data + "/b/y.txt", "y");
    // The test's own folders only, up to the test root.
    for (std::string at = data; at.size() >= test::TestRoot().size();
         at = at.substr(0, at.rfind('/')))
        ::chmod(at.c_str(), 0755);
    for (const char* sub : {"/a", "/b", "/b/y.txt"})
        ::chmod((data + sub).c_str(), 0755);
    ::chmod((data + "/a/locked").c_str(), 0);
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        TDir root(1);
        root.SetPath(data);
        SearchFolder(root, {}, false);
        std::string out;
        for (const std::string& path : Paths(root, data))
            out += path + "\n";
        if (::write(pipe[1], out.data(), out.size()) < 0)
            ::_exit(4);
        ::_exit(0);
    }
    ::close(pipe[1]);
    std::string out;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ::chmod((data + "/a/locked").c_str(), 0755);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(out, "a/\na/locked/\nb/\nb/y.txt\n");
}
