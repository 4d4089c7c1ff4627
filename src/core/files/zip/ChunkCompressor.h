#pragma once

#include "util/ByteBuffer.h"
#include <cstddef>
#include <cstdint>

#include <vector>

struct libdeflate_compressor;

namespace kelvo::zip {

// Compresses the pieces of one deflate stream independently, so that threads
// can share a large member; the output of a piece depends only on its bytes
// and the level. Each thread uses its own compressor.
class ChunkCompressor {
public:
    ChunkCompressor() = default;
    ~ChunkCompressor();
    ChunkCompressor(const ChunkCompressor&) = delete;
    ChunkCompressor& operator=(const ChunkCompressor&) = delete;

    // Raw deflate of data at level 1..9 into out. The last piece ends the
    // stream; any other ends byte-aligned and unfinished, so that the next
    // piece's output continues it.
    void Deflate(const uint8_t* data, size_t size, int level, bool last, ByteBuffer& out);

private:
    libdeflate_compressor* Compressor(int level);

    libdeflate_compressor* compressors_[10] = {};
};

// Turns a complete raw deflate stream into one that a following stream can
// continue: the final block loses its final mark, and an empty stored block
// brings the end to a byte boundary. Throws ZipError on an invalid stream.
void MakeContinuable(ByteBuffer& stream, size_t expectedSize);

uint32_t Crc32(uint32_t crc, const void* data, size_t size);
uint32_t Crc32Combine(uint32_t first, uint32_t second, uint64_t secondSize);

} // namespace kelvo::zip
