// Every test process gets its own HOME, XDG folders, installation folder and
// system registry folder, so no test sees the user's files or another test's.
#include "support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    using kelvo::test::TestRoot;
    const std::string root = TestRoot();
    for (const char* folder : {"home", "config", "data", "runtime", "install", "system-registry"})
        std::filesystem::create_directories(root + "/" + folder);
    std::filesystem::permissions(root + "/runtime", std::filesystem::perms::owner_all);
    ::setenv("HOME", (root + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root + "/data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/runtime").c_str(), 1);
    ::setenv("KELVOBACKUP_HOME", (root + "/install").c_str(), 1);
    ::setenv("KELVOBACKUP_SYSTEM_REGISTRY", (root + "/system-registry").c_str(), 1);
    ::setenv("KELVOBACKUP_NO_POWER", "1", 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
