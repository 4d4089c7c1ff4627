#include "log/Debug.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace kelvo;

namespace {

class FixedClock : public Clock {
public:
    SystemTime Now() const override { return now; }
    SystemTime now = SystemFromDateTime(45678.0 + (14 * 3600 + 30 * 60 + 5) / 86400.0);
};

class DebugTest : public ::testing::Test {
protected:
    std::string folder = test::MakeTempFolder("tasks");
    std::string file = folder + "/Docs.log";
    FixedClock clock;
};

} // namespace

TEST_F(DebugTest, WritesOneClosedLinePerEntryWithoutLineBreaks) {
    TDebug log("Docs", file, {}, clock);
    EXPECT_FALSE(test::Exists(file)); // the first entry creates the file
    log.BeginRun();
    log.AddEntry(6, kLogError, "Cannot connect\r\nto FTP | retrying");
    log.EndRun();
    EXPECT_EQ(test::ReadFile(file), "2|0|14:30:05|startg|\r\n"
                                    "6|2|14:30:05|Cannot connectto FTP | retrying|\r\n"
                                    "2|0|14:30:05|endg|\r\n");
}

TEST_F(DebugTest, CollectsWarningsErrorsAndSummariesForTheObjectAndTheRun) {
    TDebug log("Docs", file, {}, clock);
    RunLogLists run;
    log.AddEntry(2, kLogWarning, "before the run");
    log.SetRunLists(&run);
    log.AddEntry(2, kLogWarning, "w");
    log.AddEntry(2, kLogError, "e");
    log.AddEntry(2, kLogSummary, "s");
    log.AddEntry(2, kLogStatus, "status is not collected");
    log.SetRunLists(nullptr);
    log.AddEntry(2, kLogError, "after the run");
    EXPECT_EQ(log.WarningLines(), (std::vector<std::string>{"before the run", "w"}));
    EXPECT_EQ(log.ErrorLines(), (std::vector<std::string>{"e", "after the run"}));
    EXPECT_EQ(log.SummaryLines(), std::vector<std::string>{"s"});
    EXPECT_EQ(run.Warnings, std::vector<std::string>{"w"});
    EXPECT_EQ(run.Errors, std::vector<std::string>{"e"});
    EXPECT_EQ(run.Summaries, std::vector<std::string>{"s"});
}

TEST_F(DebugTest, SizeLimitDropsTheOldestLinesByTheirCountedLength) {
    // 60 lines of 98 characters plus CR LF: 6,000 bytes.
    std::string old;
    for (int i = 0; i < 60; ++i) {
        std::string line = "2|0|10:00:00|" + std::to_string(1000 + i) + "|";
        old += line + std::string(98 - line.size(), 'x') + "\r\n";
    }
    test::WriteFile(file, old);
    TDebug log("Docs", file, {true, 5}, clock);
    log.AddEntry(2, kLogInfo, "newest");
    const std::vector<TDMessage> kept = ReadLogFile(file);
    // 6,022 bytes; each removed line counts 98 until at most 5,120 remain: 10 lines go.
    ASSERT_EQ(kept.size(), 51u);
    EXPECT_EQ(kept.front().Text, "1010");
    EXPECT_EQ(kept.back().Text, "newest");
}

TEST_F(DebugTest, TheNewestEntryStaysEvenWhenItAloneIsTooLong) {
    TDebug log("Docs", file, {true, 1}, clock);
    log.AddEntry(2, kLogInfo, "old");
    log.AddEntry(2, kLogInfo, std::string(3000, 'n'));
    const std::vector<TDMessage> kept = ReadLogFile(file);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].Text.size(), 3000u);
}

TEST_F(DebugTest, NoLimitWhenSwitchedOff) {
    test::WriteFile(file, std::string(10000, 'x') + "\r\n");
    TDebug off("Docs", file, {false, 5}, clock);
    off.AddEntry(1, kLogInfo, "kept");
    TDebug zero("Docs", file, {true, 0}, clock);
    zero.AddEntry(1, kLogInfo, "kept");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_GT(info.st_size, 10000);
}

TEST_F(DebugTest, TruncateEmptiesTheFileAndAnUnwritableLogRaises) {
    TDebug log("Docs", file, {}, clock);
    log.AddEntry(1, kLogInfo, "x");
    log.Truncate();
    EXPECT_EQ(test::ReadFile(file), "");
    TDebug broken("Gone", folder + "/missing/Gone.log", {}, clock);
    try {
        broken.AddEntry(1, kLogInfo, "x");
        FAIL() << "no error raised";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("Gone.log"), std::string::npos);
    }
}

TEST_F(DebugTest, ThreadsWritingAtOnceLeaveWholeLines) {
    TDebug log("Docs", file, {}, clock);
    auto writer = [&](int channel) {
        for (int i = 0; i < 500; ++i)
            log.AddEntry(channel, kLogWarning, "entry " + std::to_string(i));
    };
    std::thread worker(writer, 2), ui(writer, 1);
    worker.join();
    ui.join();
    EXPECT_EQ(ReadLogFile(file).size(), 1000u);
    EXPECT_EQ(log.WarningLines().size(), 1000u);
}

TEST_F(DebugTest, TheObserverSeesEveryEntry) {
    struct Recorder : LogObserver {
        void EntryWritten(const TDebug& log, const TDMessage& entry) override {
            seen.push_back(log.TaskName() + ":" + entry.Text);
        }
        std::vector<std::string> seen;
    } recorder;
    TDebug::SetObserver(&recorder);
    TDebug log("Docs", file, {}, clock);
    log.AddEntry(1, kLogStatus, "a");
    TDebug::SetObserver(nullptr);
    log.AddEntry(1, kLogStatus, "b");
    EXPECT_EQ(recorder.seen, std::vector<std::string>{"Docs:a"});
}

TEST(LogReadTest, ReadsUntilTheFirstMalformedLine) {
    const std::vector<TDMessage> entries = ParseLog(
        "2|0|14:30:05|startg|\r\n6|2|14:30:06|a|b|extra\n3|1|t\n7|x|14:00:00|y|\n1|0|z|w|\n");
    const std::vector<TDMessage> expected = {
        {2, 0, "14:30:05", "startg"}, {6, 2, "14:30:06", "a"}, {3, 1, "t", ""}};
    EXPECT_EQ(entries, expected);
    EXPECT_TRUE(ReadLogFile(test::TestRoot() + "/none.log").empty());
}

TEST(LogReadTest, ViewLinesCarryPrefixAndColourByKind) {
    struct Case {
        TDMessage entry;
        bool stamp;
        const char* text;
        uint32_t colour;
    };
    const Case cases[] = {
        {{2, 0, "10:00:00", "copied"}, false, "copied", 0x808080},
        {{2, 1, "10:00:00", "w"}, false, "WARNING: w", 0x0000FF},
        {{2, 2, "10:00:00", "e"}, true, "10:00:00 ERROR: e", 0xFF0000},
        {{2, 3, "10:00:00", "c"}, false, "CRASH: c", 0xFF0000},
        {{2, 4, "10:00:00", "s"}, false, "STATUS: s", 0x008000},
        {{2, 5, "10:00:00", "sum"}, false, "sum", 0x000000},
        {{2, 0, "10:00:00", "endg"}, true, "-----------------------------------", 0x808080},
    };
    for (const Case& c : cases) {
        const LogViewLine line = ViewLine(c.entry, c.stamp);
        EXPECT_EQ(line.Text, c.text);
        EXPECT_EQ(line.Colour, c.colour) << c.text;
    }
}
