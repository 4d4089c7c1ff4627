#pragma once

#include "app/Clock.h"
#include "log/LogEntry.h"

#include <mutex>
#include <string>
#include <vector>

namespace kelvo {

// The warning, error and summary texts of one run; the engine owns one per run
// and reads it for the notifications at the end.
struct RunLogLists {
    std::mutex Lock;
    std::vector<std::string> Warnings, Errors, Summaries;
};

class TDebug;

// Where live entries go besides the file: the GUI's log window, which shows
// them when it shows this task, on its own thread.
class LogObserver {
public:
    virtual ~LogObserver() = default;
    virtual void EntryWritten(const TDebug& log, const TDMessage& entry) = 0;
};

// The size limit of task logs, from the options.
struct LogLimit {
    bool LimitLog = false;
    int64_t LimitLogSize = 5; // kilobytes
};

// A task's log: one line per entry, appended and closed at once. Safe to use
// from a worker thread and the user-interface thread together.
class TDebug {
public:
    TDebug(std::string taskName, std::string fileName, LogLimit limit,
           const Clock& clock = SystemClock());

    // Writes the entry; raises an error with the user-visible text when the
    // file cannot be written.
    void AddEntry(int channel, int kind, std::string_view text);
    void BeginRun() { AddEntry(2, kLogInfo, kRunStartMarker); }
    void EndRun() { AddEntry(2, kLogInfo, kRunEndMarker); }
    // Empties the log file.
    void Truncate();

    // The run whose lists also collect entries; none between runs.
    void SetRunLists(RunLogLists* lists);
    static void SetObserver(LogObserver* observer);

    const std::string& TaskName() const { return taskName_; }
    const std::string& FileName() const { return fileName_; }
    std::vector<std::string> SummaryLines() const;
    std::vector<std::string> WarningLines() const;
    std::vector<std::string> ErrorLines() const;

private:
    void Append(const std::string& line);
    void ApplySizeLimit();
    void Collect(int kind, const std::string& text);

    std::string taskName_, fileName_;
    LogLimit limit_;
    const Clock& clock_;
    mutable std::mutex lock_;
    std::vector<std::string> FSummaryLines, FWarningLines, FErrorLines;
    RunLogLists* runLists_ = nullptr;
};

} // namespace kelvo
