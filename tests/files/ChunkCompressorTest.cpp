#include "files/zip/ChunkCompressor.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <zlib.h>

using namespace kelvo::zip;

namespace {

std::string Inflate(const kelvo::ByteBuffer& stream, size_t expected) {
    std::string out(expected + 1, '\0');
    z_stream z{};
    EXPECT_EQ(inflateInit2(&z, -15), Z_OK);
    z.next_in = const_cast<uint8_t*>(stream.data());
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(::inflate(&z, Z_FINISH), Z_STREAM_END) << "the stream must end exactly once";
    EXPECT_EQ(z.avail_in, 0u) << "nothing after the end";
    out.resize(z.total_out);
    inflateEnd(&z);
    return out;
}

// Pieces of each kind: text, noise, a run of one byte, a single byte.
std::string Piece(std::mt19937& random, int kind, size_t size) {
    std::string piece;
    while (piece.size() < size) {
        if (kind == 0)
            piece += "word" + std::to_string(random() % 300) + ' ';
        else if (kind == 1)
            piece += static_cast<char>(random());
        else
            piece += 'z';
    }
    piece.resize(size);
    return piece;
}

} // namespace

TEST(ChunkCompressorTest, PiecesCompressedApartMakeOneStream) {
    std::mt19937 random(5);
    ChunkCompressor compressor;
    for (int round = 0; round < 40; ++round) {
        const int level = 1 + round % 9;
        const size_t pieces = 1 + random() % 5;
        std::string whole;
        kelvo::ByteBuffer stream;
        for (size_t i = 0; i < pieces; ++i) {
            const size_t size = (random() % 4 == 0) ? 1 + random() % 3 : random() % 300000 + 1;
            const std::string piece = Piece(random, static_cast<int>(random() % 3), size);
            kelvo::ByteBuffer out;
            compressor.Deflate(reinterpret_cast<const uint8_t*>(piece.data()), piece.size(), level,
                               i + 1 == pieces, out);
            stream.insert(stream.end(), out.begin(), out.end());
            whole += piece;
        }
        ASSERT_EQ(Inflate(stream, whole.size()), whole) << "round " << round;
    }
}

TEST(ChunkCompressorTest, CrcsCombineAsOne) {
    const std::string a = "the first piece", b = "and the second";
    const std::string ab = a + b;
    EXPECT_EQ(Crc32Combine(Crc32(0, a.data(), a.size()), Crc32(0, b.data(), b.size()), b.size()),
              Crc32(0, ab.data(), ab.size()));
    EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u); // the standard check value
}
