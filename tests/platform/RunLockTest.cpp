#include "platform/RunLock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(RunLockTest, ATaskRunsOnceAtATimeAcrossProcesses) {
    const std::string task = test::MakeTempFolder("lock") + "/Daily.kbt";
    {
        RunLock held(task, "Daily");
        try {
            RunLock second(task, "Daily");
            ADD_FAILURE() << "the task ran twice";
        } catch (const std::runtime_error& error) {
            EXPECT_STREQ(error.what(), "The task Daily is running already");
        }
        // Another process: flock(1) exits 1 when it cannot take the lock at once.
        const test::ProcessResult other =
            test::RunProcess({"/usr/bin/flock", "-n", task + ".lock", "/bin/true"});
        EXPECT_EQ(other.exitCode, 1);
    }
    EXPECT_NO_THROW(RunLock again(task, "Daily")) << "released when the run ended";
    const test::ProcessResult after =
        test::RunProcess({"/usr/bin/flock", "-n", task + ".lock", "/bin/true"});
    EXPECT_EQ(after.exitCode, 0);
}
