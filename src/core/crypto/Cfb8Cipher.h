#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kelvo {

// AES-256 in 8-bit cipher-feedback mode with the key and initial vector given;
// one object encrypts or decrypts one stream from its start.
class Cfb8Cipher {
public:
    using Key = std::array<uint8_t, 32>;
    using Block = std::array<uint8_t, 16>;

    enum class Direction { Encrypt, Decrypt };
    Cfb8Cipher(const Key& key, const Block& iv, Direction direction);
    ~Cfb8Cipher();
    Cfb8Cipher(const Cfb8Cipher&) = delete;
    Cfb8Cipher& operator=(const Cfb8Cipher&) = delete;

    // Transforms bytes in place, continuing the stream.
    void Update(uint8_t* data, size_t size);
    std::string Transform(std::string_view data);

    // The key as the first 32 bytes of the SHA-512 digest of the bytes given.
    static Key KeyFromSha512(std::string_view secret);
    // The AES-256 encryption of one block under key (no chaining).
    static Block EncryptBlock(const Key& key, const Block& block);

private:
    struct Context;
    std::unique_ptr<Context> context_;
};

} // namespace kelvo
