#pragma once

#include "engine/FinalReport.h"

#include <optional>
#include <string>

namespace kelvo {

class TBackup;

// Everything a run does "in the user-interface thread". The calls come from
// the task's worker thread and return when the host has done them: the GUI
// carries them to its own thread and waits, the command line answers at
// once, tests record them.
class RunHost {
public:
    virtual ~RunHost() = default;
    // The text and code (1 working, 2 success, 3 problems) on the task's row.
    virtual void ShowStatus(TBackup& entry, const std::string& text, int code) = 0;
    virtual void RepaintRow(TBackup& entry) = 0;
    // A password for an archive or an FTP server; none when the user declined.
    virtual std::optional<std::string> AskPassword(TBackup& entry, const std::string& prompt) = 0;
    // Whether the user closed the application a plug-in needs closed.
    virtual bool AskToClose(TBackup& entry, const std::string& application) = 0;
    virtual void ShowMessage(TBackup& entry, const std::string& text) = 0;
    // The end of a run: its report, for sounds, windows and the e-mail report.
    virtual void RunEnded(TBackup& entry, const ReportOutcome& report) = 0;
    // After every run of the thread loop, finished or not.
    virtual void PassFinished(TBackup& entry) { (void)entry; }
};

} // namespace kelvo
