#include "app/Backup.h"
#include "engine/BO.h"
#include "log/MessageTable.h"
#include "support/TestEnvironment.h"

#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/resource.h>
#include <unistd.h>

using namespace kelvo;
using namespace std::chrono_literals;

namespace {

// Records what the runs show; thread-safe, as several workers call it.
struct RecordingRunHost : RunHost {
    std::mutex lock;
    std::vector<std::string> statuses;
    std::vector<std::string> ended;
    void ShowStatus(TBackup& entry, const std::string& text, int) override {
        std::lock_guard guard(lock);
        statuses.push_back(entry.Name() + ": " + text);
    }
    void RepaintRow(TBackup&) override {}
    std::optional<std::string> AskPassword(TBackup&, const std::string&) override { return {}; }
    bool AskToClose(TBackup&, const std::string&) override { return false; }
    void ShowMessage(TBackup&, const std::string&) override {}
    void RunEnded(TBackup& entry, const ReportOutcome& report) override {
        std::lock_guard guard(lock);
        ended.push_back(entry.Name() + ": " + report.TaskStatus);
    }
    bool Saw(const std::string& status) {
        std::lock_guard guard(lock);
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }
};

// Passes that record themselves and can be held at the start of a pass; the
// real pass ends with the final report as the engine's closing step does.
struct ScriptedPasses : RunPasses {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::string> passes;
    bool hold = false, holding = false;
    std::string failWith;
    int nice = 0;
    bool stopInPrescan = false;
    void RunOperation(TBO& bo) override {
        std::unique_lock guard(lock);
        passes.push_back(bo.FBackup.Name() + (bo.FPrescan ? " size-only" : " real"));
        nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()));
        holding = true;
        changed.notify_all();
        changed.wait(guard, [&] { return !hold; });
        holding = false;
        if (stopInPrescan && bo.FPrescan)
            bo.RequestStop();
        if (!failWith.empty() && !bo.FPrescan)
            throw std::runtime_error(failWith);
        if (!bo.FPrescan) {
            bo.FFilesTransferred = 2;
            bo.FinalReport(); // the real pass ends with the report, as its closing step does
        }
    }
    void Release() {
        std::lock_guard guard(lock);
        hold = false;
        changed.notify_all();
    }
    void WaitHolding() {
        std::unique_lock guard(lock);
        changed.wait(guard, [&] { return holding; });
    }
};

class RunThreadTest : public ::testing::Test {
protected:
    std::string tasks = test::MakeTempFolder("runs") + "/";
    TaskEnvironment environment{tasks, {}, &SystemClock()};
    RecordingRunHost host;
    ScriptedPasses passes;

    std::unique_ptr<TBackup> Task(const std::string& name) {
        auto entry = std::make_unique<TBackup>(tasks, name, environment);
        entry->Engine().SetHost(&host);
        entry->Engine().SetPasses(&passes);
        return entry;
    }
    static void Finish(TBackup& entry) { entry.Engine().FThread->WaitParked(); }
};

} // namespace

TEST_F(RunThreadTest, ARunMakesBothPassesAndEndsWithItsReport) {
    auto daily = Task("Daily");
    daily->Engine().Start(kBackupOperation);
    Finish(*daily);
    EXPECT_EQ(passes.passes, (std::vector<std::string>{"Daily size-only", "Daily real"}));
    EXPECT_TRUE(host.Saw("Daily: Waiting for tasks to complete ... "));
    EXPECT_TRUE(host.Saw("Daily: Processing..."));
    EXPECT_EQ(host.ended, std::vector<std::string>{"Daily: Successful"});
    EXPECT_EQ(daily->Engine().Command(), "") << "idle again";
    const std::string log = test::ReadFile(daily->Task().Log().FileName());
    EXPECT_NE(log.find("Transferred Files: 2"), std::string::npos) << log;
}

TEST_F(RunThreadTest, ASecondTaskWaitsForTheFirstAndAStoppedWaiterBlocksNobody) {
    auto first = Task("First"), second = Task("Second"), third = Task("Third");
    passes.hold = true;
    first->Engine().Start(kBackupOperation);
    passes.WaitHolding();
    second->Engine().Start(kBackupOperation);
    third->Engine().Start(kBackupOperation);
    std::this_thread::sleep_for(100ms);
    EXPECT_TRUE(host.Saw("Second: Waiting for tasks to complete ... "));
    second->Engine().RequestStop(); // stopped while it waits
    Finish(*second);
    passes.Release();
    Finish(*first);
    Finish(*third);
    EXPECT_EQ(passes.passes, (std::vector<std::string>{"First size-only", "First real",
                                                       "Third size-only", "Third real"}));
    EXPECT_TRUE(host.Saw("Second: " + Msg("_Stopped")));
    EXPECT_EQ(host.ended.size(), 3u);
}

TEST_F(RunThreadTest, TheThreadRunsAtTheTasksPriority) {
    auto task = Task("Low");
    task->Task().FGeneral.Priority = "Low";
    const int base = ::getpriority(PRIO_PROCESS, 0);
    task->Engine().Start(kBackupOperation);
    Finish(*task);
    EXPECT_EQ(passes.nice, std::min(base + 5, 19));
    task->Task().FGeneral.Priority = "Normal";
    task->Engine().Start(kBackupOperation);
    Finish(*task);
    EXPECT_EQ(passes.nice, base) << "back to the program's own";
}

TEST_F(RunThreadTest, ErrorsAbortsAndStopsEndTheRunWithTheirOutcome) {
    auto task = Task("Task");
    passes.failWith = "Not enough free space on destination";
    task->Engine().Start(kBackupOperation);
    Finish(*task);
    EXPECT_EQ(host.ended.back(), "Task: Operation finished with error(s)");
    EXPECT_NE(test::ReadFile(task->Task().Log().FileName()).find("Not enough free space"),
              std::string::npos);
    passes.failWith = Msg("_Aborted"); // the cancellation marker
    task->Engine().Start(kBackupOperation);
    Finish(*task);
    EXPECT_EQ(host.ended.back(), "Task: Operation" + Msg("_Aborted"));
    passes.failWith.clear();
    passes.stopInPrescan = true;
    passes.passes.clear();
    task->Engine().Start(kBackupOperation);
    Finish(*task);
    EXPECT_EQ(passes.passes, std::vector<std::string>{"Task size-only"}) << "no real pass";
    EXPECT_EQ(host.ended.back(), "Task: " + Msg("_Stopped"));
}
