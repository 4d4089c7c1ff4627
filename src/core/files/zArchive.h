#pragma once

#include "app/DateTime.h"
#include "files/FD.h"
#include "files/zip/ZipArchiveFile.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvo {

// What the archive endpoint asks of the run that uses it. Calls come on the
// thread that adds or reads.
class ArchiveEvents {
public:
    virtual ~ArchiveEvents() = default;
    virtual void RefreshRow() {}
    // The overall percentage of the add operation, 0..100.
    virtual void BuildPercent(int percent) { (void)percent; }
    // A message box for the user.
    virtual void ShowMessage(const std::string& text) { (void)text; }
    // A listed file that could not be read, so the archive goes without it.
    virtual void FileLeftOut(const std::string& path, const std::string& reason) {
        (void)path, (void)reason;
    }
    virtual bool StopRequested() { return false; }
};

// The destination endpoint of a task whose backup is a ZIP archive: files are
// added to the archive, members checked and read, and its size and member
// count taken when it disconnects.
class TzArchive {
public:
    static constexpr int kBusyTransfer = 1, kBusyRefresh = 2;

    // stub: the self-extracting stub; empty: kelvobackup-sfx beside the program.
    TzArchive(TDir* root, TAr* settings, std::string stub = {});
    ~TzArchive();
    TzArchive(const TzArchive&) = delete;
    TzArchive& operator=(const TzArchive&) = delete;

    int32_t FLogChannel = 8;
    bool FConnected = false;
    TDir* FRoot;
    int FBusy = 0;
    double FSpeed = 0; // KB/s of the current member
    SystemTime FStarted{};
    TAr* FSettings;
    std::unique_ptr<ZipArchiveFile> FZip;
    int64_t FMemberCount = 0;
    uint64_t FArchiveSize = 0;
    int64_t FProgressBytes = 0;

    void SetEvents(ArchiveEvents* events) { events_ = events; }
    // Silences the message handler while the engine builds.
    void SetUnattended(bool unattended) { unattended_ = unattended; }
    // The archive file: the archive name with ".exe" or ".zip".
    std::string ArchivePath() const;

    bool Connect();
    bool Disconnect();
    // Adds one file at once under name (default: the stored form of its
    // path), then gives target the source's mode and times when it exists.
    // Answers 0: archive statistics come from the archive.
    int AddFile(const std::string& source, const std::string& target = {},
                const std::string& name = {});
    void QueueFile(const std::string& folder, const std::string& name);
    void QueueAs(const std::string& source, const std::string& memberName);
    // The add operation over every queued file; raises ZipError, or
    // ZipCancelled (code 10120) after a stop request.
    ZipResult Build();
    bool HasMember(const std::string& name);
    std::string ReadMember(const std::string& name);
    // Gives target the member's stored mode and modification time.
    bool CopyMemberFacts(const std::string& target, const std::string& name);
    bool MakeDir(const std::string& path);

private:
    class Progress;
    ZipArchiveSettings ComponentSettings() const;

    std::string stub_;
    ArchiveEvents* events_ = nullptr;
    bool unattended_ = false;
};

} // namespace kelvo
