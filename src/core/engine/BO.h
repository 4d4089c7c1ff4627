#pragma once

#include "engine/FinalReport.h"
#include "engine/RunHost.h"
#include "files/EndpointHost.h"
#include "files/SpaceRequired.h"
#include "log/Debug.h"
#include "util/AutoResetEvent.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kelvo {

class TBackup;
class TBO;
struct TEventObject;

// One pass of a run (the size-only pass when TBO::FPrescan is set, else the
// real one): the backup, restore and synchronization engines implement it.
class RunPasses {
public:
    virtual ~RunPasses() = default;
    virtual void RunOperation(TBO& operation) = 0;
};

// The worker thread of a task: parked between runs, it takes its place in
// the serializer's queue, runs both passes when its turn comes, and ends
// every run with the final report.
class TBOThread {
public:
    explicit TBOThread(TBO& owner);
    ~TBOThread(); // terminates and joins
    TBOThread(const TBOThread&) = delete;
    TBOThread& operator=(const TBOThread&) = delete;

    std::shared_ptr<TEventObject> FEvent;
    std::string FStatusText;
    int FStatusCode = 0;
    TBO& FOperationObject;
    RunLogLists FRunLists; // FErrors, FSummary, FWarnings
    TDateTime FStartTime = 0;
    int64_t FTotalSize = 0;
    std::atomic<int64_t> FTransferred{0};
    int64_t FDeletedSize = 0, FDeletedCount = 0;

    // Starts a run; the thread must be parked.
    void Resume();
    // The scheduling priority the thread takes at its next run: the nice
    // value one step below or above normal; none leaves it as it is.
    void SetNice(std::optional<int> nice) { nice_ = nice; }
    bool Running() const;
    // Waits until the thread is parked again.
    void WaitParked();
    bool Terminated() const { return terminate_; }

private:
    void Loop();
    void RunOnce();
    void TakeTurn();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool resume_ = false, running_ = false;
    std::optional<int> nice_;
    std::atomic<bool> terminate_{false};
    std::thread thread_;
};

// A task's operation object: it runs the task's backups, restores and
// synchronizations on the task's worker thread.
class TBO : public EndpointHost {
public:
    explicit TBO(TBackup& owner);
    ~TBO() override;
    TBO(const TBO&) = delete;
    TBO& operator=(const TBO&) = delete;

    TBackup& FBackup;
    std::unique_ptr<TSpaceRequiredCollection> FSpaceRequired;
    int32_t FErrorCount = 0;
    std::string FOriginalDestDir, FSavedItemCollision;
    bool FKeepFolders = true;
    std::string FAskedPlugin;
    bool FPluginAnswer = false;
    bool FComputeSignatures = true;
    bool FAbortAfterPrescan = false;
    std::string FRestoreTarget;
    AutoResetEvent FStopEvent;
    int FOperation = kBackupOperation;
    bool FPrescan = false;
    std::unique_ptr<TBOThread> FThread;
    std::vector<std::string> FCdFiles, FCdFolders;
    int64_t FFilesProcessed = 0, FFilesTransferred = 0;
    int64_t FCompressedSize = 0, FUncompressedSize = 0;
    std::string FTaskFileName;
    std::string FTaskStatus; // the status text on the task's row

    void SetHost(RunHost* host) { host_ = host; }
    void SetPasses(RunPasses* passes) { passes_ = passes; }
    RunHost* Host() const { return host_; }

    // Starts a run of the operation on the worker thread.
    void Start(int operation);
    void RequestStop();
    bool IsStopRequested() const;
    void PrepareThread();
    std::string Command() const;
    void SetCommand(std::string command);

    void SetStatus(const std::string& text);
    void Refresh();
    // The report of a finished run, its outcome on the row and in the log.
    void FinalReport();

    // The run's side of the endpoints.
    void Transferred(int64_t bytes) override;
    void FileTransferred() override { ++FFilesTransferred; }
    void RefreshRow() override { Refresh(); }
    void AddDiscFile(const std::string& path) override { FCdFiles.push_back(path); }
    void ShowMessage(const std::string& text) override;

private:
    friend class TBOThread;
    void ShowTaskStatus(const std::string& text, int code);

    mutable std::mutex commandLock_;
    std::string command_; // "TSynchronize", "stop" or empty
    RunHost* host_ = nullptr;
    RunPasses* passes_ = nullptr;
};

} // namespace kelvo
