#include "engine/BO.h"

#include "app/Backup.h"
#include "engine/CommSingleton.h"
#include "log/LogEntry.h"
#include "log/MessageTable.h"

#include <sys/resource.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr const char* kWaitingText = "Waiting for tasks to complete ... ";
constexpr const char* kSynchronize = "TSynchronize";
constexpr const char* kStop = "stop";
// One step of thread priority, as nice values count.
constexpr int kNiceStep = 5;

} // namespace

TBOThread::TBOThread(TBO& owner) : FOperationObject(owner) {
    thread_ = std::thread(&TBOThread::Loop, this);
}

TBOThread::~TBOThread() {
    {
        std::lock_guard lock(mutex_);
        terminate_ = true;
    }
    changed_.notify_all();
    FOperationObject.FStopEvent.Set(); // a run waiting for its turn ends
    thread_.join();
}

void TBOThread::Resume() {
    std::lock_guard lock(mutex_);
    resume_ = running_ = true;
    changed_.notify_all();
}

bool TBOThread::Running() const {
    std::lock_guard lock(mutex_);
    return running_;
}

void TBOThread::WaitParked() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !running_; });
}

void TBOThread::Loop() {
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return resume_ || terminate_; });
            if (terminate_)
                return;
            resume_ = false;
        }
        // Raising the priority needs rights the user may not have: then it stays.
        if (nice_)
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), *nice_);
        RunOnce();
        std::lock_guard lock(mutex_);
        running_ = false;
        changed_.notify_all();
    }
}

void TBOThread::RunOnce() {
    TBO& bo = FOperationObject;
    bo.ShowTaskStatus(kWaitingText, kStatusWorking);
    if (!FEvent)
        FEvent = TCommSingleton::Instance().Enqueue();
    const int fired = *AutoResetEvent::WaitAny(bo.FStopEvent, *FEvent->FHandle);
    if (fired == 1) {
        TakeTurn();
        TCommSingleton::Instance().Dequeue(FEvent->FHandle.get(), true);
        FEvent.reset();
        bo.FStopEvent.Reset();
    } else {
        TCommSingleton::Instance().Dequeue(FEvent->FHandle.get(), false);
        FEvent.reset();
        bo.FinalReport();
        bo.ShowTaskStatus(Msg("_Stopped"), kStatusProblems);
    }
    if (RunHost* host = bo.Host())
        host->PassFinished(bo.FBackup);
}

// Both passes of the run, the size-only one first.
void TBOThread::TakeTurn() {
    TBO& bo = FOperationObject;
    bo.ShowTaskStatus(Msg("_Processing"), kStatusWorking);
    try {
        if (bo.Command() == kSynchronize && bo.passes_) {
            bo.FAbortAfterPrescan = false;
            bo.FPrescan = true;
            bo.passes_->RunOperation(bo);
            bo.FPrescan = false;
            if (bo.FAbortAfterPrescan || bo.Command() == kStop) {
                bo.FinalReport();
            } else {
                bo.SetCommand(kSynchronize);
                bo.passes_->RunOperation(bo);
            }
        }
    } catch (const std::exception& error) {
        bo.FPrescan = false;
        const std::string text = error.what();
        ++bo.FErrorCount;
        if (text != Msg("_Aborted"))
            bo.FBackup.Task().Log().AddEntry(2, kLogError, text);
        else
            FStatusCode = kStatusAborted;
        bo.FTaskStatus = text;
        FStatusText = Msg("_LastTaskStatus") + text;
        bo.ShowTaskStatus(text, kStatusProblems);
        bo.FinalReport();
    }
}

TBO::TBO(TBackup& owner) : FBackup(owner) {}

TBO::~TBO() {
    FThread.reset();
}

std::string TBO::Command() const {
    std::lock_guard lock(commandLock_);
    return command_;
}

void TBO::SetCommand(std::string command) {
    std::lock_guard lock(commandLock_);
    command_ = std::move(command);
}

void TBO::PrepareThread() {
    if (!FThread)
        FThread = std::make_unique<TBOThread>(*this);
    // Normal is the priority the program itself was started with.
    static const int normal = ::getpriority(PRIO_PROCESS, 0);
    const std::string& priority = FBackup.Task().FGeneral.Priority;
    if (priority == "Low")
        FThread->SetNice(normal + kNiceStep);
    else if (priority == "Normal")
        FThread->SetNice(normal);
    else if (priority == "High")
        FThread->SetNice(normal - kNiceStep);
}

void TBO::Start(int operation) {
    PrepareThread();
    FThread->WaitParked();
    FOperation = operation;
    FErrorCount = 0;
    FThread->FStatusCode = kStatusWorking;
    SetCommand(kSynchronize);
    FThread->Resume();
}

void TBO::RequestStop() {
    std::lock_guard lock(commandLock_);
    if (command_.empty())
        return;
    command_ = kStop;
    FStopEvent.Set();
}

bool TBO::IsStopRequested() const {
    return (FThread && FThread->Terminated()) || Command() == kStop;
}

void TBO::ShowTaskStatus(const std::string& text, int code) {
    FTaskStatus = text;
    if (host_)
        host_->ShowStatus(FBackup, text, code);
}

void TBO::SetStatus(const std::string& text) {
    if (FThread) {
        FThread->FStatusText = text;
        FThread->FStatusCode = kStatusWorking;
    }
    if (host_)
        host_->ShowStatus(FBackup, text, kStatusWorking);
}

void TBO::Refresh() {
    if (host_)
        host_->RepaintRow(FBackup);
}

void TBO::Transferred(int64_t bytes) {
    if (FThread)
        FThread->FTransferred += bytes;
}

void TBO::ShowMessage(const std::string& text) {
    if (host_)
        host_->ShowMessage(FBackup, text);
}

void TBO::FinalReport() {
    RunStatistics run;
    run.OperationKind = FOperation;
    if (FThread) {
        std::lock_guard lock(FThread->FRunLists.Lock);
        run.Warnings = FThread->FRunLists.Warnings;
        run.Errors = FThread->FRunLists.Errors;
        run.StartTime = FThread->FStartTime;
        run.TotalSize = FThread->FTotalSize;
        run.Transferred = FThread->FTransferred;
        run.DeletedSize = FThread->FDeletedSize;
        run.DeletedCount = FThread->FDeletedCount;
        run.StatusCode = FThread->FStatusCode;
    }
    run.EndTime = DateTimeFromSystem(std::chrono::system_clock::now());
    if (run.StartTime == 0)
        run.StartTime = run.EndTime;
    run.FilesProcessed = FFilesProcessed;
    run.FilesTransferred = FFilesTransferred;
    run.CompressedSize = FCompressedSize;
    run.UncompressedSize = FUncompressedSize;
    run.ErrorCount = FErrorCount;
    run.Stopped = Command() == kStop;
    const ReportOutcome report = BuildFinalReport(run);
    TDebug& log = FBackup.Task().Log();
    for (const std::string& line : report.Lines)
        log.AddEntry(2, kLogSummary, line);
    FErrorCount = report.ErrorCount;
    ShowTaskStatus(report.TaskStatus, report.StatusCode);
    if (FThread)
        FThread->FStatusCode = report.StatusCode;
    if (host_)
        host_->RunEnded(FBackup, report);
    if (FThread)
        FThread->FStatusText = Msg("_LastTaskStatus") + report.TaskStatus;
    log.EndRun();
    SetCommand({});
}

} // namespace kelvo
