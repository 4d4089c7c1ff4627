#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelvo {

enum Operation : int { kBackupOperation = 0, kRestoreOperation = 1, kSyncOperation = 2 };

// Status codes of a run's thread.
enum RunStatusCode : int {
    kStatusWorking = 1,
    kStatusSuccess = 2,
    kStatusProblems = 3, // errors, warnings, or stopped
    kStatusAborted = 99, // internal; reported as 3
};

// What a run counted, as the report reads it.
struct RunStatistics {
    int OperationKind = kBackupOperation;
    TDateTime StartTime = 0, EndTime = 0;
    int64_t FilesProcessed = 0, FilesTransferred = 0;
    int64_t TotalSize = 0, Transferred = 0;
    int64_t CompressedSize = 0, UncompressedSize = 0;
    int64_t DeletedSize = 0, DeletedCount = 0;
    std::vector<std::string> Warnings, Errors;
    int32_t ErrorCount = 0;
    int StatusCode = kStatusWorking;
    bool Stopped = false; // the command was "stop"
};

struct ReportOutcome {
    std::vector<std::string> Lines; // the summary entries, in order
    std::string TaskStatus;         // the text on the task's row
    int StatusCode = kStatusSuccess;
    int32_t ErrorCount = 0;
};

// "1 second", "05 seconds.", "02:00 minutes.", "1:02:05 hours" (whole days dropped).
std::string ElapsedText(TDateTime elapsed);
std::string OperationName(int operation);
// The locale's short date and long time.
std::string LocalDateTimeText(TDateTime when);

// The summary lines and the outcome of a finished run.
ReportOutcome
BuildFinalReport(const RunStatistics& run,
                 const std::function<std::string(TDateTime)>& dateTime = LocalDateTimeText);

} // namespace kelvo
