#include "crypto/Cfb8Cipher.h"

#include <openssl/evp.h>
#include <openssl/sha.h>
#include <stdexcept>

namespace kelvo {

struct Cfb8Cipher::Context {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~Context() { EVP_CIPHER_CTX_free(ctx); }
};

Cfb8Cipher::Cfb8Cipher(const Key& key, const Block& iv, Direction direction)
    : context_(std::make_unique<Context>()) {
    if (!context_->ctx ||
        EVP_CipherInit_ex(context_->ctx, EVP_aes_256_cfb8(), nullptr, key.data(), iv.data(),
                          direction == Direction::Encrypt ? 1 : 0) != 1)
        throw std::runtime_error("Cannot prepare the AES cipher");
}

Cfb8Cipher::~Cfb8Cipher() = default;

void Cfb8Cipher::Update(uint8_t* data, size_t size) {
    // CFB-8 is a stream mode: the output has the input's length, in place.
    while (size > 0) {
        const int chunk = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
        int written = 0;
        if (EVP_CipherUpdate(context_->ctx, data, &written, data, chunk) != 1 || written != chunk)
            throw std::runtime_error("AES cipher failed");
        data += chunk;
        size -= static_cast<size_t>(chunk);
    }
}

std::string Cfb8Cipher::Transform(std::string_view data) {
    std::string out(data);
    Update(reinterpret_cast<uint8_t*>(out.data()), out.size());
    return out;
}

Cfb8Cipher::Key Cfb8Cipher::KeyFromSha512(std::string_view secret) {
    uint8_t digest[SHA512_DIGEST_LENGTH];
    SHA512(reinterpret_cast<const uint8_t*>(secret.data()), secret.size(), digest);
    Key key;
    std::copy(digest, digest + key.size(), key.begin());
    return key;
}

Cfb8Cipher::Block Cfb8Cipher::EncryptBlock(const Key& key, const Block& block) {
    Context context;
    Block out{};
    int written = 0;
    if (!context.ctx ||
        EVP_EncryptInit_ex(context.ctx, EVP_aes_256_ecb(), nullptr, key.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.ctx, 0) != 1 ||
        EVP_EncryptUpdate(context.ctx, out.data(), &written, block.data(), 16) != 1 ||
        written != 16)
        throw std::runtime_error("AES cipher failed");
    return out;
}

} // namespace kelvo
