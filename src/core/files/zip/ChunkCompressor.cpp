#include "files/zip/ChunkCompressor.h"

#include "files/zip/ZipError.h"

#include <libdeflate.h>
#include <memory>
#include <new>
#include <zlib.h>

namespace kelvo::zip {

ChunkCompressor::~ChunkCompressor() {
    for (libdeflate_compressor* compressor : compressors_)
        if (compressor)
            libdeflate_free_compressor(compressor);
}

libdeflate_compressor* ChunkCompressor::Compressor(int level) {
    if (level < 1 || level > 9)
        throw ZipError("No such compression level: " + std::to_string(level));
    if (!compressors_[level] && !(compressors_[level] = libdeflate_alloc_compressor(level)))
        throw std::bad_alloc();
    return compressors_[level];
}

void ChunkCompressor::Deflate(const uint8_t* data, size_t size, int level, bool last,
                              ByteBuffer& out) {
    libdeflate_compressor* compressor = Compressor(level);
    out.resize(libdeflate_deflate_compress_bound(compressor, size) + 8);
    const size_t written =
        libdeflate_deflate_compress(compressor, data, size, out.data(), out.size());
    if (written == 0)
        throw ZipError("Cannot compress: the output does not fit its bound");
    out.resize(written);
    if (!last)
        MakeContinuable(out, size);
}

// zlib's inflate with Z_BLOCK stops at every block boundary and tells the
// number of bits left in the last byte it took, which locates the final
// block's header and the stream's last bit.
void MakeContinuable(ByteBuffer& stream, size_t expectedSize) {
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK)
        throw std::bad_alloc();
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
    auto scratch = std::make_unique<uint8_t[]>(1 << 16);
    z.next_in = stream.data();
    z.avail_in = static_cast<uInt>(stream.size());
    uint64_t finalStart = 0, endBit = 0;
    for (;;) {
        z.next_out = scratch.get();
        z.avail_out = 1 << 16;
        const int result = ::inflate(&z, Z_BLOCK);
        if (result != Z_OK && result != Z_STREAM_END)
            throw ZipError("Cannot compress: a piece does not inflate");
        if (z.data_type & 128) {
            const uint64_t bit = uint64_t{z.total_in} * 8 - (z.data_type & 7);
            if (z.data_type & 64) {
                endBit = bit;
                break;
            }
            finalStart = bit;
        } else if (result == Z_STREAM_END || (z.avail_in == 0 && z.avail_out != 0)) {
            throw ZipError("Cannot compress: a piece ends unexpectedly");
        }
    }
    if (z.total_out != expectedSize)
        throw ZipError("Cannot compress: a piece inflates to another size");
    stream[finalStart / 8] &= static_cast<uint8_t>(~(1u << (finalStart % 8)));
    // Three zero bits (not final, stored) and the padding to the byte, then
    // LEN 0 and NLEN.
    const size_t keep = (endBit + 3 + 7) / 8;
    stream.resize(keep, 0);
    stream[endBit / 8] &= static_cast<uint8_t>((1u << (endBit % 8)) - 1);
    for (size_t i = endBit / 8 + 1; i < keep; ++i)
        stream[i] = 0;
    stream.insert(stream.end(), {0x00, 0x00, 0xFF, 0xFF});
}

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
    return libdeflate_crc32(crc, data, size);
}

uint32_t Crc32Combine(uint32_t first, uint32_t second, uint64_t secondSize) {
    return static_cast<uint32_t>(
        crc32_combine64(first, second, static_cast<z_off64_t>(secondSize)));
}

} // namespace kelvo::zip
