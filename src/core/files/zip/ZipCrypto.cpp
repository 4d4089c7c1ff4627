#include "files/zip/ZipCrypto.h"

#include <random>
#include <zlib.h>

namespace kelvo {

namespace {

uint32_t CrcByte(uint32_t crc, uint8_t byte) {
    static const z_crc_t* table = get_crc_table();
    return table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
}

} // namespace

ZipCrypto::ZipCrypto(std::string_view password) : keys_{0x12345678, 0x23456789, 0x34567890} {
    for (char c : password)
        Update(static_cast<uint8_t>(c));
}

uint8_t ZipCrypto::KeyByte() const {
    const uint32_t temp = (keys_[2] | 2) & 0xFFFF;
    return static_cast<uint8_t>((temp * (temp ^ 1)) >> 8);
}

void ZipCrypto::Update(uint8_t plain) {
    keys_[0] = CrcByte(keys_[0], plain);
    keys_[1] = (keys_[1] + (keys_[0] & 0xFF)) * 134775813u + 1;
    keys_[2] = CrcByte(keys_[2], static_cast<uint8_t>(keys_[1] >> 24));
}

void ZipCrypto::Encrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const uint8_t plain = data[i];
        data[i] = plain ^ KeyByte();
        Update(plain);
    }
}

void ZipCrypto::Decrypt(uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        data[i] ^= KeyByte();
        Update(data[i]);
    }
}

std::array<uint8_t, ZipCrypto::kHeaderSize> ZipCrypto::MakeHeader(uint8_t checkByte) {
    static thread_local std::mt19937 random{std::random_device{}()};
    std::array<uint8_t, kHeaderSize> header{};
    for (size_t i = 0; i + 1 < kHeaderSize; ++i)
        header[i] = static_cast<uint8_t>(random());
    header[kHeaderSize - 1] = checkByte;
    Encrypt(header.data(), header.size());
    return header;
}

} // namespace kelvo
