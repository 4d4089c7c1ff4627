#include "crypto/Base64.h"

#include <array>

namespace kelvo {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<int, 256> DecodeTable() {
    std::array<int, 256> table{};
    for (int& entry : table)
        entry = -1;
    for (int i = 0; i < 64; ++i)
        table[static_cast<unsigned char>(kAlphabet[i])] = i;
    return table;
}

} // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group = static_cast<unsigned char>(bytes[i]) << 16 |
                               static_cast<unsigned char>(bytes[i + 1]) << 8 |
                               static_cast<unsigned char>(bytes[i + 2]);
        for (int shift = 18; shift >= 0; shift -= 6)
            out += kAlphabet[(group >> shift) & 0x3F];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t group = static_cast<unsigned char>(bytes[i]) << 16;
        if (rest == 2)
            group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kAlphabet[(group >> 18) & 0x3F];
        out += kAlphabet[(group >> 12) & 0x3F];
        out += rest == 2 ? kAlphabet[(group >> 6) & 0x3F] : '=';
        out += '=';
    }
    return out;
}

std::string Base64Decode(std::string_view text) {
    static constexpr std::array<int, 256> kTable = DecodeTable();
    std::string out;
    out.reserve(text.size() / 4 * 3);
    uint32_t group = 0;
    int bits = 0;
    for (char ch : text) {
        if (ch == '=')
            break;
        const int value = kTable[static_cast<unsigned char>(ch)];
        if (value < 0)
            continue;
        group = (group << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((group >> bits) & 0xFF);
        }
    }
    return out;
}

} // namespace kelvo
