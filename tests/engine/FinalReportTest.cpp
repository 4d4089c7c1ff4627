#include "engine/FinalReport.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

TDateTime Seconds(double seconds) {
    return seconds / 86400.0;
}

RunStatistics RunOf(double seconds) {
    RunStatistics run;
    run.StartTime = 46000.5;
    run.EndTime = run.StartTime + Seconds(seconds);
    return run;
}

std::string Stamp(TDateTime) {
    return "STAMP";
}

bool Has(const ReportOutcome& report, const std::string& line) {
    return std::find(report.Lines.begin(), report.Lines.end(), line) != report.Lines.end();
}

} // namespace

TEST(FinalReportTest, ElapsedTimesReadAsTheirUnits) {
    for (const auto& [seconds, text] :
         std::vector<std::pair<double, std::string>>{{0.4, "1 second"},
                                                     {1, "1 second"},
                                                     {5, "05 seconds."},
                                                     {120, "02:00 minutes."},
                                                     {3725, "1:02:05 hours"},
                                                     {86400, "1 second"}}) // whole days are dropped
        EXPECT_EQ(ElapsedText(Seconds(seconds)), text) << seconds;
}

TEST(FinalReportTest, LinesInOrderWithCompressionDeletionsAndSpeed) {
    RunStatistics run = RunOf(9.5);
    run.FilesProcessed = 3;
    run.FilesTransferred = 2;
    run.TotalSize = 999;
    run.UncompressedSize = 1536;
    run.CompressedSize = 512;
    run.DeletedCount = 1;
    run.DeletedSize = 1048576;
    run.Transferred = 10000;
    const ReportOutcome report = BuildFinalReport(run, Stamp);
    const std::vector<std::string> expected = {"Start Time: STAMP",
                                               "End Time: STAMP",
                                               "Elapsed Time:  09 seconds.",
                                               "",
                                               "Files processed: 3",
                                               "Total Size: 1.5 KB",
                                               "",
                                               "Original Size: 1.5 KB",
                                               "Compressed Size: 512 bytes",
                                               "Compression ratio: 67%",
                                               "",
                                               "Deleted Files:1",
                                               "Deleted Files Size:1 MB",
                                               "",
                                               "Transferred Data: 9.77 KB",
                                               "Transferred Files: 2",
                                               "Transfer Speed:  1000 bytes/s",
                                               "",
                                               "Status: Backup operation  finished successfully!"};
    EXPECT_EQ(report.Lines, expected);
    EXPECT_EQ(report.TaskStatus, "Successful");
    EXPECT_EQ(report.StatusCode, kStatusSuccess);
}

TEST(FinalReportTest, OutcomesOfErrorsWarningsAbortsAndStops) {
    RunStatistics warned = RunOf(1);
    warned.Warnings = {"a file was busy"};
    const ReportOutcome w = BuildFinalReport(warned, Stamp);
    EXPECT_EQ(w.TaskStatus, " finished with warning(s)") << "no operation word";
    EXPECT_TRUE(Has(w, "WARNING: a file was busy"));
    EXPECT_TRUE(Has(w, "Status: Backup operation finished with warning(s)"));
    EXPECT_EQ(w.StatusCode, kStatusProblems);

    RunStatistics failed = RunOf(1);
    failed.OperationKind = kRestoreOperation;
    failed.Errors = {"disk full"};
    const ReportOutcome f = BuildFinalReport(failed, Stamp);
    EXPECT_EQ(f.ErrorCount, 1) << "counted from the error lines";
    EXPECT_EQ(f.TaskStatus, "Operation finished with error(s)");
    EXPECT_TRUE(Has(f, "ERROR:  disk full"));
    EXPECT_TRUE(Has(f, "Status: Restore operation finished with error(s)"));

    RunStatistics aborted = RunOf(1);
    aborted.ErrorCount = 1;
    aborted.StatusCode = kStatusAborted;
    const ReportOutcome a = BuildFinalReport(aborted, Stamp);
    EXPECT_EQ(a.TaskStatus, "Operation Aborted");
    EXPECT_TRUE(Has(a, "Status:  Aborted")) << "texts keep their own blank and the added one";

    RunStatistics stopped = RunOf(1);
    stopped.Stopped = true;
    stopped.FilesTransferred = 4;
    const ReportOutcome s = BuildFinalReport(stopped, Stamp);
    EXPECT_EQ(s.TaskStatus, "  stopped by user!");
    EXPECT_EQ(s.StatusCode, kStatusProblems);
    EXPECT_TRUE(Has(s, "Transferred Files: 4")) << "the counters are still listed";
    EXPECT_EQ(s.Lines.back(), "Status: Backup operation  stopped by user!");
}
