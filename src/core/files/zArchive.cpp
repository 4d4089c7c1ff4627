#include "files/zArchive.h"

#include "log/DebugTrace.h"
#include "log/MessageTable.h"
#include "platform/Environment.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

// The component's progress and messages, turned into the endpoint's fields,
// trace lines and the run's events.
class TzArchive::Progress : public ZipProgress {
public:
    explicit Progress(TzArchive& archive) : archive_(archive) {}
    void MemberStarted(const std::string& name) override {
        DebugTrace(Msg("_FileToZip") + name);
        archive_.FProgressBytes = 0;
        archive_.FStarted = std::chrono::system_clock::now();
        started_ = std::chrono::steady_clock::now();
    }
    void Advanced(uint64_t bytes, int percent) override {
        archive_.FProgressBytes += static_cast<int64_t>(bytes);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
        if (seconds > 0)
            archive_.FSpeed = static_cast<double>(archive_.FProgressBytes) / 1024 / seconds;
        if (archive_.events_) {
            archive_.events_->BuildPercent(percent);
            archive_.events_->RefreshRow();
        }
    }
    void Skipped(const std::string& source, const std::string& reason) override {
        if (!archive_.unattended_)
            DebugTrace(Msg("_ZipErrMsg") + source + ": " + reason);
        if (archive_.events_)
            archive_.events_->FileLeftOut(source, reason);
    }
    bool StopRequested() override { return archive_.events_ && archive_.events_->StopRequested(); }

private:
    TzArchive& archive_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

TzArchive::TzArchive(TDir* root, TAr* settings, std::string stub)
    : FRoot(root), FSettings(settings), stub_(std::move(stub)) {
    if (stub_.empty())
        stub_ = ExecutableFolder() + "kelvobackup-sfx";
}

TzArchive::~TzArchive() {
    Disconnect();
}

std::string TzArchive::ArchivePath() const {
    return FSettings->FArchiveName + (FSettings->FSelfExtracting ? ".exe" : ".zip");
}

ZipArchiveSettings TzArchive::ComponentSettings() const {
    ZipArchiveSettings settings;
    settings.Path = ArchivePath();
    settings.Level = static_cast<int>(std::clamp<int64_t>(FSettings->FQuality, 0, 9));
    if (!FSettings->FSecurity.empty())
        settings.Password = FSettings->FPassword;
    // A self-extracting archive is never split.
    if (FSettings->FSplit && !FSettings->FSelfExtracting)
        settings.VolumeSize = FSettings->FSplitSize;
    if (FSettings->FSelfExtracting) {
        if (::access(stub_.c_str(), R_OK) != 0)
            throw ZipError("The self-extracting stub " + stub_ + " is missing");
        settings.Prefix = stub_;
    }
    return settings;
}

bool TzArchive::Connect() {
    if (FConnected)
        return true;
    try {
        if (!FZip)
            FZip = std::make_unique<ZipArchiveFile>(ComponentSettings());
        FConnected = true;
        return true;
    } catch (const std::exception& error) {
        DebugTrace(Msg("_zArchiveConnect") + " " + error.what());
        return false;
    }
}

bool TzArchive::Disconnect() {
    if (!FConnected)
        return true;
    bool done = true;
    try {
        if (FMemberCount == 0)
            FMemberCount = static_cast<int64_t>(FZip->Members().size());
        FArchiveSize = FZip->ArchiveSize();
    } catch (const std::exception& error) {
        DebugTrace(Msg("_zArchiveDisConnect") + " " + error.what());
        done = false;
    }
    FZip.reset();
    FConnected = false;
    return done;
}

void TzArchive::QueueFile(const std::string& folder, const std::string& name) {
    const std::string path = folder + name;
    QueueAs(path, ZipArchiveFile::MemberName(path));
}

void TzArchive::QueueAs(const std::string& source, const std::string& memberName) {
    if (Connect())
        FZip->Queue(source, memberName);
}

ZipResult TzArchive::Build() {
    if (!Connect())
        throw ZipError(Msg("_zArchiveConnect"));
    Progress progress(*this);
    FBusy |= kBusyTransfer;
    try {
        ZipResult result = FZip->Add(&progress);
        FBusy &= ~kBusyTransfer;
        FMemberCount = static_cast<int64_t>(result.Members);
        return result;
    } catch (...) {
        FBusy &= ~kBusyTransfer;
        FZip->ClearList();
        throw;
    }
}

int TzArchive::AddFile(const std::string& source, const std::string& target,
                       const std::string& name) {
    const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    const bool readable = fd >= 0 && ::fstat(fd, &info) == 0;
    if (fd >= 0)
        ::close(fd);
    std::string failure = readable ? "" : std::strerror(errno);
    if (readable) {
        try {
            QueueAs(source, name.empty() ? ZipArchiveFile::MemberName(source) : name);
            Build();
        } catch (const ZipError& error) {
            failure = error.what();
        }
    }
    if (!failure.empty()) {
        std::string text = Msg("_FatalErrorOnAdding");
        const size_t at = text.find("%s");
        if (at != std::string::npos)
            text.replace(at, 2, source);
        DebugTrace(text + " " + failure);
        if (events_)
            events_->ShowMessage(text);
        return 0;
    }
    struct stat there {};
    if (!target.empty() && ::stat(target.c_str(), &there) == 0) {
        ::chmod(target.c_str(), info.st_mode & 07777);
        const timespec times[2] = {info.st_atim, info.st_mtim};
        ::utimensat(AT_FDCWD, target.c_str(), times, 0);
    }
    return 0;
}

bool TzArchive::HasMember(const std::string& name) {
    if (!Connect())
        return false;
    try {
        return FZip->HasMember(name);
    } catch (const ZipError& error) {
        DebugTrace(Msg("_ZipErrMsg") + error.what());
        return false;
    }
}

std::string TzArchive::ReadMember(const std::string& name) {
    DebugTrace(Msg("_ZipRead"));
    if (!Connect())
        throw ZipError(Msg("_zArchiveConnect"));
    std::string data = FZip->ReadMember(name);
    FZip->ClearList();
    return data;
}

bool TzArchive::CopyMemberFacts(const std::string& target, const std::string& name) {
    if (!Connect())
        return false;
    for (const ZipMember& member : FZip->Members()) {
        if (member.Name != name)
            continue;
        if (member.UnixMode & 07777)
            ::chmod(target.c_str(), member.UnixMode & 07777);
        const auto seconds = std::chrono::system_clock::to_time_t(member.Modified);
        const timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
        return ::utimensat(AT_FDCWD, target.c_str(), times, 0) == 0;
    }
    return false;
}

bool TzArchive::MakeDir(const std::string&) {
    DebugTrace(Msg("_dummyZipmkDir"));
    return true;
}

} // namespace kelvo
