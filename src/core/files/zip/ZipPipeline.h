#pragma once

#include "app/DateTime.h"
#include "files/zip/ZipReader.h"
#include "util/ByteBuffer.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvo::zip {
class ChunkCompressor;
}

namespace kelvo {

// What a member is stored with.
struct ZipMemberInfo {
    std::string Name; // with "/" between levels; a folder ends in "/"
    SystemTime Modified{};
    uint32_t UnixMode = 0100644;
    int Level = 6; // 0 stores, 1..9 deflate
};

// A member waiting to be written: a file on disk, bytes in memory, a folder,
// or a member of another archive copied as it is stored there.
struct ZipQueued {
    enum class Kind { File, Data, Folder, Raw };
    Kind What = Kind::Data;
    ZipMemberInfo Info;
    std::string Source;              // File
    std::string Bytes;               // Data
    const ZipReader* From = nullptr; // Raw
    ZipMember Stored;                // Raw
    uint64_t SizeHint = 0;           // for the progress and the ZIP64 decision
};

// A piece of a member on its way to the archive.
struct ZipChunk {
    size_t Member = 0;
    bool First = false, Last = false;
    ByteBuffer Data; // read bytes, then what is written
    uint64_t InputSize = 0;
    uint32_t Crc = 0; // of the read bytes
    // Facts of the member, on its first chunk.
    SystemTime Modified{};
    uint32_t UnixMode = 0;
    // The source could not be opened: no member (Error says why). An Error
    // without Skipped fails the build.
    bool Skipped = false;
    std::string Error;
    bool Done = false;
    size_t Charged = 0; // memory counted against the pipeline's budget
};

// Reads the queued members in one thread, compresses their chunks on all
// cores and hands them out in order. The chunks in flight are bounded, so
// memory stays small whatever the members' sizes; the bytes produced do not
// depend on the number of threads.
class ZipPipeline {
public:
    static constexpr size_t kChunkSize = 1 << 20;

    ZipPipeline(const std::vector<ZipQueued>& members, unsigned threads);
    ~ZipPipeline();
    ZipPipeline(const ZipPipeline&) = delete;
    ZipPipeline& operator=(const ZipPipeline&) = delete;

    // The next chunk in archive order, compressed; none after the last.
    std::shared_ptr<ZipChunk> Next();

private:
    using ChunkPtr = std::shared_ptr<ZipChunk>;
    void ReadAll();
    void ReadMember(size_t index);
    void ReadFile(size_t index, const ZipQueued& member);
    void ReadRaw(size_t index, const ZipQueued& member);
    void Push(ChunkPtr chunk, bool compress);
    void Work();
    static void Compress(ZipChunk& chunk, int level, zip::ChunkCompressor& compressor);

    const std::vector<ZipQueued>& members_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<ChunkPtr> order_, todo_;
    size_t inFlight_ = 0, budget_;
    bool readerDone_ = false;
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

} // namespace kelvo
