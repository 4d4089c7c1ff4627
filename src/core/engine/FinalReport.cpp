#include "engine/FinalReport.h"

#include "log/MessageTable.h"
#include "log/SizeText.h"

#include <cmath>
#include <ctime>

namespace kelvo {

namespace {

std::string TwoDigits(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

uint64_t Bytes(int64_t value) {
    return static_cast<uint64_t>(std::max<int64_t>(value, 0));
}

} // namespace

std::string ElapsedText(TDateTime elapsed) {
    const double fraction = elapsed - std::floor(elapsed);
    // Truncated like a clock, with room for the rounding of day fractions.
    const auto total = static_cast<int64_t>(std::floor(fraction * 86400.0 + 1e-6)) % 86400;
    const int hours = static_cast<int>(total / 3600), minutes = static_cast<int>(total / 60 % 60),
              seconds = static_cast<int>(total % 60);
    std::string text = "1 second";
    if (seconds > 1)
        text = TwoDigits(seconds) + " seconds.";
    if (minutes > 0)
        text = TwoDigits(minutes) + ":" + TwoDigits(seconds) + " minutes.";
    if (hours > 0)
        text =
            std::to_string(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds) + " hours";
    return text;
}

std::string OperationName(int operation) {
    switch (operation) {
    case kRestoreOperation:
        return Msg("_RestoreOp");
    case kSyncOperation:
        return Msg("_SynchronizeOp");
    default:
        return Msg("_BackupOp");
    }
}

std::string LocalDateTimeText(TDateTime when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(SystemFromDateTime(when));
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[64];
    return std::strftime(text, sizeof text, "%x %X", &local) ? text : "";
}

ReportOutcome BuildFinalReport(const RunStatistics& run,
                               const std::function<std::string(TDateTime)>& dateTime) {
    ReportOutcome out;
    auto& lines = out.Lines;
    lines.push_back(Msg("_OpStartedAt") + dateTime(run.StartTime));
    lines.push_back(Msg("_OpEndedAt") + dateTime(run.EndTime));
    const TDateTime elapsed = run.EndTime - run.StartTime;
    lines.push_back(Msg("_Totaltime") + ElapsedText(elapsed));
    lines.emplace_back();
    lines.push_back(Msg("_TotalFiles") + std::to_string(run.FilesProcessed));
    lines.push_back(
        Msg("_TotalSize") +
        SizeText(Bytes(run.UncompressedSize == 0 ? run.TotalSize : run.UncompressedSize)));
    lines.emplace_back();
    if (run.UncompressedSize != 0) {
        lines.push_back(Msg("_UnCompSize") + SizeText(Bytes(run.UncompressedSize)));
        lines.push_back(Msg("_CompSize") + SizeText(Bytes(run.CompressedSize)));
        const double ratio = static_cast<double>(run.UncompressedSize - run.CompressedSize) *
                             100.0 / static_cast<double>(run.UncompressedSize);
        lines.push_back(Msg("_CompRatio") + std::to_string(std::llround(ratio)) + "%");
        lines.emplace_back();
    }
    if (run.DeletedSize != 0) {
        lines.push_back("Deleted Files:" + std::to_string(run.DeletedCount));
        lines.push_back("Deleted Files Size:" + SizeText(Bytes(run.DeletedSize)));
        lines.emplace_back();
    }
    lines.push_back(Msg("_TotalData") + SizeText(Bytes(run.Transferred)));
    lines.push_back(Msg("_TransferredFiles") + std::to_string(run.FilesTransferred));
    const auto wholeSeconds = static_cast<int64_t>(std::max(0.0, elapsed * 86400.0 + 1e-6)) + 1;
    lines.push_back(
        Msg("_TransferSpeed") +
        SizeText(static_cast<uint64_t>(std::llround(static_cast<double>(Bytes(run.Transferred)) /
                                                    static_cast<double>(wholeSeconds)))) +
        "/s");
    lines.emplace_back();
    for (const std::string& warning : run.Warnings)
        lines.push_back(Msg("_Warn") + warning);
    for (const std::string& error : run.Errors)
        lines.push_back(Msg("_Err") + error);
    const std::string operation = OperationName(run.OperationKind);
    out.ErrorCount = run.ErrorCount == 0 && !run.Errors.empty()
                         ? static_cast<int32_t>(run.Errors.size())
                         : run.ErrorCount;
    std::string statusLine;
    if (out.ErrorCount > 0 && run.StatusCode == kStatusAborted) {
        out.TaskStatus = Msg("_Operation") + Msg("_Aborted");
        out.StatusCode = kStatusProblems;
        statusLine = Msg("_Status") + Msg("_Aborted");
    } else if (out.ErrorCount > 0) {
        out.TaskStatus = Msg("_Operation") + Msg("_FinishedWithErrors");
        out.StatusCode = kStatusProblems;
        statusLine = Msg("_Status") + operation + Msg("_FinishedWithErrors");
    } else if (!run.Warnings.empty()) {
        out.TaskStatus = Msg("_FinishedWithWarnings");
        out.StatusCode = kStatusProblems;
        statusLine = Msg("_Status") + operation + Msg("_FinishedWithWarnings");
    } else {
        out.TaskStatus = Msg("_Successful");
        out.StatusCode = kStatusSuccess;
    }
    if (!statusLine.empty())
        lines.push_back(statusLine);
    if (run.Stopped) {
        out.TaskStatus = Msg("_Stopped");
        out.StatusCode = kStatusProblems;
        lines.push_back(Msg("_Status") + operation + Msg("_Stopped"));
    }
    if (out.StatusCode == kStatusSuccess)
        lines.push_back(Msg("_Status") + operation + Msg("_Success_Complete"));
    return out;
}

} // namespace kelvo
