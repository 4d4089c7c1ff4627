#include "log/Debug.h"

#include "app/TaskFileFormats.h"
#include "platform/FileIO.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {

std::atomic<LogObserver*> gObserver{nullptr};

// One writer at a time per process: two objects may share a file while a task
// is being re-created.
std::mutex& FileLock() {
    static std::mutex lock;
    return lock;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

} // namespace

TDebug::TDebug(std::string taskName, std::string fileName, LogLimit limit, const Clock& clock)
    : taskName_(std::move(taskName)), fileName_(std::move(fileName)), limit_(limit), clock_(clock) {
}

void TDebug::SetObserver(LogObserver* observer) {
    gObserver = observer;
}

void TDebug::SetRunLists(RunLogLists* lists) {
    std::lock_guard guard(lock_);
    runLists_ = lists;
}

void TDebug::AddEntry(int channel, int kind, std::string_view text) {
    TDMessage entry{channel, kind,
                    TaskFileFormats::FormatLongTime(DateTimeFromSystem(clock_.Now())),
                    WithoutLineBreaks(text)};
    {
        std::lock_guard guard(FileLock());
        Append(entry.Line() + "\r\n");
        ApplySizeLimit();
    }
    if (LogObserver* observer = gObserver.load())
        observer->EntryWritten(*this, entry);
    Collect(kind, entry.Text);
}

void TDebug::Append(const std::string& line) {
    const int fd = ::open(fileName_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        throw std::runtime_error("Cannot open the log file " + fileName_ + ": " +
                                 std::strerror(errno));
    const ssize_t written = ::write(fd, line.data(), line.size());
    const int error = errno;
    ::close(fd);
    if (written != static_cast<ssize_t>(line.size()))
        throw std::runtime_error("Cannot write the log file " + fileName_ + ": " +
                                 std::strerror(written < 0 ? error : ENOSPC));
}

void TDebug::ApplySizeLimit() {
    if (!limit_.LimitLog || limit_.LimitLogSize <= 0)
        return;
    struct stat info {};
    const int64_t limit = limit_.LimitLogSize * 1024;
    if (::stat(fileName_.c_str(), &info) != 0 || info.st_size <= limit)
        return;
    auto text = ReadWholeFile(fileName_);
    if (!text)
        return;
    // Lines are counted without their line ends, as the limit always was; the
    // newest entry stays whatever its length.
    const size_t newest = text->size() < 2 ? 0 : text->rfind('\n', text->size() - 2);
    const size_t newestStart = newest == std::string::npos ? 0 : newest + 1;
    int64_t counted = info.st_size;
    size_t start = 0;
    while (counted > limit && start < newestStart) {
        size_t end = text->find('\n', start);
        end = end == std::string::npos ? text->size() : end;
        size_t length = end - start;
        if (length > 0 && (*text)[end - 1] == '\r')
            --length;
        counted -= static_cast<int64_t>(length);
        start = end + 1;
    }
    // Replaced whole, so that a crash leaves the old log rather than none.
    WriteFileAtomically(fileName_, std::string_view(*text).substr(start));
}

void TDebug::Collect(int kind, const std::string& text) {
    std::lock_guard guard(lock_);
    std::vector<std::string>* own = kind == kLogWarning   ? &FWarningLines
                                    : kind == kLogError   ? &FErrorLines
                                    : kind == kLogSummary ? &FSummaryLines
                                                          : nullptr;
    if (!own)
        return;
    own->push_back(text);
    if (runLists_) {
        std::lock_guard runGuard(runLists_->Lock);
        (kind == kLogWarning ? runLists_->Warnings
         : kind == kLogError ? runLists_->Errors
                             : runLists_->Summaries)
            .push_back(text);
    }
}

void TDebug::Truncate() {
    std::lock_guard guard(FileLock());
    WriteFileAtomically(fileName_, "");
}

std::vector<std::string> TDebug::SummaryLines() const {
    std::lock_guard guard(lock_);
    return FSummaryLines;
}

std::vector<std::string> TDebug::WarningLines() const {
    std::lock_guard guard(lock_);
    return FWarningLines;
}

std::vector<std::string> TDebug::ErrorLines() const {
    std::lock_guard guard(lock_);
    return FErrorLines;
}

} // namespace kelvo
