#include "files/zip/ZipPipeline.h"

#include "files/zip/ChunkCompressor.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {

// Fills buffer from fd up to its capacity or the end of the file.
size_t ReadFull(int fd, uint8_t* buffer, size_t capacity) {
    size_t done = 0;
    while (done < capacity) {
        const ssize_t n = ::read(fd, buffer + done, capacity - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw ZipError(std::strerror(errno));
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    return done;
}

struct FileCloser {
    int fd;
    ~FileCloser() { ::close(fd); }
};

} // namespace

ZipPipeline::ZipPipeline(const std::vector<ZipQueued>& members, unsigned threads)
    : members_(members) {
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    budget_ = (2 * threads + 2) * kChunkSize;
    threads_.emplace_back(&ZipPipeline::ReadAll, this);
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back(&ZipPipeline::Work, this);
}

ZipPipeline::~ZipPipeline() {
    stop_ = true;
    changed_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

void ZipPipeline::Push(ChunkPtr chunk, bool compress) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stop_ || order_.empty() || inFlight_ < budget_; });
    if (stop_)
        return;
    chunk->Charged = std::max(chunk->Data.capacity(), size_t{1});
    inFlight_ += chunk->Charged;
    chunk->Done = !compress;
    order_.push_back(chunk);
    if (compress)
        todo_.push_back(std::move(chunk));
    changed_.notify_all();
}

std::shared_ptr<ZipChunk> ZipPipeline::Next() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] {
        return (!order_.empty() && order_.front()->Done) || (order_.empty() && readerDone_);
    });
    if (order_.empty())
        return nullptr;
    ChunkPtr chunk = std::move(order_.front());
    order_.pop_front();
    inFlight_ -= chunk->Charged;
    changed_.notify_all();
    return chunk;
}

void ZipPipeline::ReadAll() {
    for (size_t i = 0; i < members_.size() && !stop_; ++i) {
        try {
            ReadMember(i);
        } catch (const std::exception& error) {
            auto chunk = std::make_shared<ZipChunk>();
            chunk->Member = i;
            chunk->Error = error.what();
            Push(std::move(chunk), false);
            break;
        }
    }
    std::lock_guard lock(mutex_);
    readerDone_ = true;
    changed_.notify_all();
}

void ZipPipeline::ReadMember(size_t index) {
    const ZipQueued& member = members_[index];
    switch (member.What) {
    case ZipQueued::Kind::File:
        return ReadFile(index, member);
    case ZipQueued::Kind::Raw:
        return ReadRaw(index, member);
    case ZipQueued::Kind::Data:
    case ZipQueued::Kind::Folder: {
        auto chunk = std::make_shared<ZipChunk>();
        chunk->Member = index;
        chunk->First = chunk->Last = true;
        chunk->Data.assign(member.Bytes.begin(), member.Bytes.end());
        chunk->Modified = member.Info.Modified;
        chunk->UnixMode = member.Info.UnixMode;
        Push(std::move(chunk), true);
        return;
    }
    }
}

void ZipPipeline::ReadFile(size_t index, const ZipQueued& member) {
    auto first = std::make_shared<ZipChunk>();
    first->Member = index;
    first->First = true;
    const int fd = ::open(member.Source.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        first->Last = first->Skipped = true;
        first->Error = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        Push(std::move(first), false);
        return;
    }
    const FileCloser closer{fd};
    first->Modified = SystemTime(std::chrono::seconds(info.st_mtim.tv_sec));
    first->UnixMode = static_cast<uint32_t>(info.st_mode);
    // The first chunk is sized by the file, with a byte more to see it grow.
    size_t capacity = static_cast<size_t>(std::min<uint64_t>(
        kChunkSize, static_cast<uint64_t>(std::max<off_t>(info.st_size, 0)) + 1));
    auto read = [&](ZipChunk& chunk) {
        chunk.Member = index;
        chunk.Data.resize(capacity);
        try {
            chunk.Data.resize(ReadFull(fd, chunk.Data.data(), capacity));
        } catch (const ZipError& error) {
            throw ZipError("Cannot read " + member.Source + ": " + error.what());
        }
    };
    read(*first);
    ChunkPtr current = std::move(first);
    while (!stop_) {
        ChunkPtr next;
        if (current->Data.size() == capacity) {
            capacity = kChunkSize;
            next = std::make_shared<ZipChunk>();
            read(*next);
        }
        current->Last = !next || next->Data.empty();
        Push(current, true);
        if (current->Last)
            return;
        current = std::move(next);
    }
}

void ZipPipeline::ReadRaw(size_t index, const ZipQueued& member) {
    const uint64_t size = member.Stored.CompressedSize;
    uint64_t at = 0;
    do {
        auto chunk = std::make_shared<ZipChunk>();
        chunk->Member = index;
        chunk->First = at == 0;
        const uint64_t take = std::min<uint64_t>(size - at, kChunkSize);
        const std::string bytes = member.From->ReadRaw(member.Stored, at, take);
        chunk->Data.assign(bytes.begin(), bytes.end());
        at += take;
        chunk->Last = at == size;
        Push(std::move(chunk), false);
    } while (at < size && !stop_);
}

void ZipPipeline::Compress(ZipChunk& chunk, int level, zip::ChunkCompressor& compressor) {
    chunk.InputSize = chunk.Data.size();
    chunk.Crc = zip::Crc32(0, chunk.Data.data(), chunk.Data.size());
    if (level == 0)
        return;
    ByteBuffer output;
    compressor.Deflate(chunk.Data.data(), chunk.Data.size(), level, chunk.Last, output);
    chunk.Data = std::move(output);
}

void ZipPipeline::Work() {
    zip::ChunkCompressor compressor;
    for (;;) {
        ChunkPtr chunk;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return stop_ || !todo_.empty() || readerDone_; });
            if (stop_ || todo_.empty())
                return;
            chunk = std::move(todo_.front());
            todo_.pop_front();
        }
        const ZipQueued& member = members_[chunk->Member];
        const bool folder = member.What == ZipQueued::Kind::Folder;
        try {
            Compress(*chunk, folder ? 0 : member.Info.Level, compressor);
        } catch (const std::exception& error) {
            chunk->Error = error.what();
        }
        std::lock_guard lock(mutex_);
        chunk->Done = true;
        changed_.notify_all();
    }
}

} // namespace kelvo
