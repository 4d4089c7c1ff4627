#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kelvo {

// Traditional PKWARE encryption ("ZipCrypto"). Weak by today's measure; kept
// because every ZIP tool opens it. The stream state runs over one member.
class ZipCrypto {
public:
    static constexpr size_t kHeaderSize = 12;

    explicit ZipCrypto(std::string_view password);

    void Encrypt(uint8_t* data, size_t size);
    void Decrypt(uint8_t* data, size_t size);
    // The encrypted 12-byte header that starts a member: 11 random bytes and
    // the check byte readers compare after decrypting it.
    std::array<uint8_t, kHeaderSize> MakeHeader(uint8_t checkByte);

private:
    uint8_t KeyByte() const;
    void Update(uint8_t plain);

    uint32_t keys_[3];
};

} // namespace kelvo
