#include "platform/FileIO.h"
#include "support/TestEnvironment.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvo;

TEST(FileIOTest, AtomicWriteReplacesWholeAndKeepsPermissions) {
    const std::string folder = test::MakeTempFolder("io");
    const std::string path = folder + "/options.ini";
    test::WriteFile(path, "old contents that are longer");
    ::chmod(path.c_str(), 0600);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(*ReadWholeFile(path), "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(test::ListFolder(folder), std::vector<std::string>{"options.ini"});
}

TEST(FileIOTest, FailedWriteLeavesTheOldFileAndNoLeftovers) {
    const std::string folder = test::MakeTempFolder("io");
    EXPECT_FALSE(WriteFileAtomically(folder + "/missing/sub/file", "x"));
    EXPECT_FALSE(ReadWholeFile(folder + "/missing/sub/file"));
    EXPECT_TRUE(test::ListFolder(folder).empty());

    // A disk that fills up halfway: a file-size limit in a child process.
    const std::string path = folder + "/options.ini";
    test::WriteFile(path, "good");
    const pid_t child = ::fork();
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(WriteFileAtomically(path, std::string(4096, 'x')) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the write must report failure";
    EXPECT_EQ(test::ReadFile(path), "good");
    EXPECT_EQ(test::ListFolder(folder), std::vector<std::string>{"options.ini"});
}
