#include "crypto/Container.h"

#include "crypto/Cfb8Cipher.h"
#include "crypto/StoredPassword.h"
#include "log/MessageTable.h"
#include "util/WriteBehind.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kelvo {

namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kTag = 16;
constexpr char kMagic[4] = {'K', 'B', 'C', '2'};
constexpr uint8_t kLogN = 16, kR = 8, kP = 1;

// Header of version "2.0" after the tag: magic, log2 N, r, p, reserved, salt,
// nonce prefix, verifier.
struct Header {
    std::array<uint8_t, 64> bytes{};
    uint8_t& logN() { return bytes[4]; }
    uint8_t& r() { return bytes[5]; }
    uint8_t& p() { return bytes[6]; }
    uint8_t* salt() { return bytes.data() + 8; }
    uint8_t* nonce() { return bytes.data() + 24; }
    uint8_t* verifier() { return bytes.data() + 32; }
};

class File {
public:
    File(const std::string& path, int flags) : fd_(::open(path.c_str(), flags | O_CLOEXEC, 0600)) {}
    ~File() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool Open() const { return fd_ >= 0; }
    uint64_t Size() const {
        struct stat info {};
        return ::fstat(fd_, &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
    }
    // Fills as much of the buffer as the file has left.
    size_t Read(uint8_t* data, size_t size) {
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::read(fd_, data + done, size - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                throw std::runtime_error(std::string("Cannot read: ") + std::strerror(errno));
            if (n == 0)
                break;
            done += static_cast<size_t>(n);
        }
        return done;
    }
    void Write(const uint8_t* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                throw std::runtime_error(std::string("Cannot write: ") + std::strerror(errno));
            data += n;
            size -= static_cast<size_t>(n);
        }
    }
    void Close() {
        const int fd = fd_;
        fd_ = -1;
        if (::fsync(fd) != 0 || ::close(fd) != 0)
            throw std::runtime_error(std::string("Cannot write: ") + std::strerror(errno));
    }

private:
    int fd_;
};

struct CipherContext {
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    ~CipherContext() { EVP_CIPHER_CTX_free(ctx); }
};

// 64 bytes of scrypt: the body key, then the verifier's key.
std::array<uint8_t, 64> DeriveKeys(const std::string& password, Header& header) {
    std::array<uint8_t, 64> keys{};
    const uint64_t n = 1ull << header.logN();
    const uint64_t memory = 128ull * n * header.r() * header.p() + (1u << 20);
    if (EVP_PBE_scrypt(password.data(), password.size(), header.salt(), 16, n, header.r(),
                       header.p(), memory + (64u << 20), keys.data(), keys.size()) != 1)
        throw std::runtime_error("Cannot derive the container key");
    return keys;
}

void Verifier(const std::array<uint8_t, 64>& keys, uint8_t* out) {
    SHA256(keys.data() + 32, 32, out);
}

std::array<uint8_t, 12> Nonce(Header& header, uint32_t counter) {
    std::array<uint8_t, 12> nonce{};
    std::memcpy(nonce.data(), header.nonce(), 8);
    for (int i = 0; i < 4; ++i)
        nonce[8 + i] = static_cast<uint8_t>(counter >> (24 - 8 * i));
    return nonce;
}

// One chunk in place; the header and the last-chunk flag are authenticated with it.
bool Seal(EVP_CIPHER_CTX* ctx, const uint8_t* key, Header& header, uint32_t counter, bool last,
          uint8_t* data, size_t size, uint8_t* tag, bool encrypt) {
    const auto nonce = Nonce(header, counter);
    const uint8_t flag = last ? 1 : 0;
    int n = 0;
    if (EVP_CipherInit_ex(ctx, EVP_aes_256_gcm(), nullptr, nullptr, nullptr, encrypt) != 1 ||
        EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_IVLEN, 12, nullptr) != 1 ||
        EVP_CipherInit_ex(ctx, nullptr, nullptr, key, nonce.data(), encrypt) != 1 ||
        EVP_CipherUpdate(ctx, nullptr, &n, header.bytes.data(), header.bytes.size()) != 1 ||
        EVP_CipherUpdate(ctx, nullptr, &n, &flag, 1) != 1)
        return false;
    if (size > 0 && EVP_CipherUpdate(ctx, data, &n, data, static_cast<int>(size)) != 1)
        return false;
    if (!encrypt && EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_TAG, kTag, tag) != 1)
        return false;
    uint8_t rest[16];
    if (EVP_CipherFinal_ex(ctx, rest, &n) != 1)
        return false;
    return !encrypt || EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_GET_TAG, kTag, tag) == 1;
}

std::string OutputPath(const std::string& containerPath, const std::string& outputName) {
    const size_t slash = containerPath.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : containerPath.substr(0, slash + 1);
    return folder + outputName.substr(outputName.rfind('/') + 1);
}

std::string Temporary(const std::string& path) {
    return path + ".part-" + std::to_string(::getpid());
}

// Version "1.0": AES-256-CBC over full blocks, the tail xor-ed with AES of the
// last cipher block; chaining runs across the whole body.
void DecryptVersion1(File& in, uint64_t bodySize, const std::string& password, WriteBehind& out) {
    const Cfb8Cipher::Key key = Cfb8Cipher::KeyFromSha512(password);
    Cfb8Cipher::Block chain = Cfb8Cipher::EncryptBlock(key, {});
    CipherContext cbc;
    if (EVP_DecryptInit_ex(cbc.ctx, EVP_aes_256_cbc(), nullptr, key.data(), chain.data()) != 1)
        throw std::runtime_error("Cannot prepare the AES cipher");
    EVP_CIPHER_CTX_set_padding(cbc.ctx, 0);
    std::vector<uint8_t> input(kChunk), output(kChunk + 16);
    uint64_t full = bodySize - bodySize % 16;
    while (full > 0) {
        const size_t take = static_cast<size_t>(std::min<uint64_t>(full, kChunk));
        if (in.Read(input.data(), take) != take)
            throw std::runtime_error("The container ends early");
        int n = 0;
        EVP_DecryptUpdate(cbc.ctx, output.data(), &n, input.data(), static_cast<int>(take));
        out.Write(output.data(), static_cast<size_t>(n));
        std::memcpy(chain.data(), input.data() + take - 16, 16);
        full -= take;
    }
    const size_t tail = static_cast<size_t>(bodySize % 16);
    if (tail > 0) {
        uint8_t bytes[16];
        if (in.Read(bytes, tail) != tail)
            throw std::runtime_error("The container ends early");
        const Cfb8Cipher::Block stream = Cfb8Cipher::EncryptBlock(key, chain);
        for (size_t i = 0; i < tail; ++i)
            bytes[i] ^= stream[i];
        out.Write(bytes, tail);
    }
}

// Version "2.0": answers false when anything does not verify.
bool DecryptVersion2(File& in, uint64_t rest, const std::string& password, WriteBehind& out,
                     bool& wrongPassword) {
    Header header;
    if (rest < header.bytes.size() + kTag || in.Read(header.bytes.data(), 64) != 64 ||
        std::memcmp(header.bytes.data(), kMagic, 4) != 0)
        return false;
    rest -= 64;
    // Parameters that would take unbounded memory or time are damage, not a password.
    if (header.logN() < 10 || header.logN() > 20 || header.r() < 1 || header.r() > 16 ||
        header.p() < 1 || header.p() > 4 ||
        128ull * (1ull << header.logN()) * header.r() > (512u << 20))
        return false;
    const auto keys = DeriveKeys(password, header);
    uint8_t verifier[32];
    Verifier(keys, verifier);
    if (CRYPTO_memcmp(verifier, header.verifier(), 32) != 0) {
        wrongPassword = true;
        return false;
    }
    CipherContext gcm;
    for (uint32_t counter = 0;; ++counter) {
        const bool last = rest <= kChunk + kTag;
        const size_t size = last ? static_cast<size_t>(rest) : kChunk + kTag;
        uint8_t* record = out.Room(size); // decrypted in place, the tag cut off
        if (size < kTag || in.Read(record, size) != size)
            return false;
        rest -= size;
        if (!Seal(gcm.ctx, keys.data(), header, counter, last, record, size - kTag,
                  record + size - kTag, false))
            return false;
        out.Commit(size - kTag);
        if (last)
            return true;
        if (counter == UINT32_MAX)
            return false;
    }
}

// The body of version "2.0": every chunk sealed in place in the output.
void EncryptChunks(File& in, const std::array<uint8_t, 64>& keys, Header& header,
                   WriteBehind& out) {
    CipherContext gcm;
    uint64_t left = in.Size();
    for (uint32_t counter = 0;; ++counter) {
        const bool last = left <= kChunk; // an empty archive is one empty chunk
        const size_t size = last ? static_cast<size_t>(left) : kChunk;
        uint8_t* chunk = out.Room(size + kTag);
        if (in.Read(chunk, size) != size)
            throw std::runtime_error("The archive changed while it was encrypted");
        if (!Seal(gcm.ctx, keys.data(), header, counter, last, chunk, size, chunk + size, true))
            throw std::runtime_error("AES cipher failed");
        out.Commit(size + kTag);
        left -= size;
        if (last)
            break;
    }
    uint8_t more;
    if (in.Read(&more, 1) != 0)
        throw std::runtime_error("The archive changed while it was encrypted");
}

} // namespace

void EncryptArchive(const std::string& zipPath, const std::string& containerPath,
                    const std::string& password) {
    File in(zipPath, O_RDONLY);
    if (!in.Open())
        throw std::runtime_error("Cannot open " + zipPath + ": " + std::strerror(errno));
    Header header;
    std::memcpy(header.bytes.data(), kMagic, 4);
    header.logN() = kLogN;
    header.r() = kR;
    header.p() = kP;
    if (RAND_bytes(header.salt(), 16) != 1 || RAND_bytes(header.nonce(), 8) != 1)
        throw std::runtime_error("No random numbers for the container");
    auto keys = DeriveKeys(password, header);
    Verifier(keys, header.verifier());
    const std::string temporary = Temporary(containerPath);
    try {
        File out(temporary, O_WRONLY | O_CREAT | O_TRUNC);
        if (!out.Open())
            throw std::runtime_error("Cannot create " + containerPath + ": " +
                                     std::strerror(errno));
        WriteBehind behind([&](const uint8_t* data, size_t size) { out.Write(data, size); });
        const std::string tag = EncryptString("2.0");
        behind.Write(reinterpret_cast<const uint8_t*>(tag.data()), tag.size());
        behind.Write(header.bytes.data(), header.bytes.size());
        EncryptChunks(in, keys, header, behind);
        behind.Flush();
        out.Close();
        if (::rename(temporary.c_str(), containerPath.c_str()) != 0)
            throw std::runtime_error("Cannot write " + containerPath + ": " + std::strerror(errno));
    } catch (...) {
        OPENSSL_cleanse(keys.data(), keys.size());
        ::unlink(temporary.c_str());
        throw;
    }
    OPENSSL_cleanse(keys.data(), keys.size());
    ::unlink(zipPath.c_str()); // the container replaces the working archive
}

std::string DecryptArchive(const std::string& containerPath, const std::string& outputName,
                           const std::string& password) {
    File in(containerPath, O_RDONLY);
    if (!in.Open())
        return Msg("_WrongArchiveVersion");
    const uint64_t size = in.Size();
    std::array<uint8_t, 4> tag{};
    if (in.Read(tag.data(), 4) != 4)
        return Msg("_WrongArchiveVersion");
    const std::string read(tag.begin(), tag.end());
    const bool version1 = read == EncryptString("1.0"), version2 = read == EncryptString("2.0");
    if (!version1 && !version2)
        return Msg("_WrongArchiveVersion");
    const std::string output = OutputPath(containerPath, outputName);
    const std::string temporary = Temporary(output);
    File out(temporary, O_WRONLY | O_CREAT | O_TRUNC);
    if (!out.Open())
        throw std::runtime_error("Cannot create " + output + ": " + std::strerror(errno));
    std::string error;
    try {
        WriteBehind behind([&](const uint8_t* data, size_t size) { out.Write(data, size); });
        if (version1) {
            const std::string check = EncryptString(password);
            std::string stored(check.size(), '\0');
            if (size < 4 + check.size() ||
                in.Read(reinterpret_cast<uint8_t*>(stored.data()), stored.size()) !=
                    stored.size() ||
                stored != check)
                error = Msg("_InvalidPassword");
            else
                DecryptVersion1(in, size - 4 - check.size(), password, behind);
        } else {
            bool wrongPassword = false;
            if (!DecryptVersion2(in, size - 4, password, behind, wrongPassword))
                error = Msg(wrongPassword ? "_InvalidPassword" : "_ArchiveDamaged");
        }
        if (error.empty()) {
            behind.Flush();
            out.Close();
        }
    } catch (const std::exception&) {
        error = Msg("_ArchiveDamaged");
    }
    if (!error.empty() || ::rename(temporary.c_str(), output.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return error.empty() ? "Cannot write " + output : error;
    }
    return {};
}

} // namespace kelvo
