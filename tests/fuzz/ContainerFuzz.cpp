// Any bytes as an encrypted container: decryption answers one of its error
// texts or succeeds, and leaves no output behind when it fails.
#include "crypto/Container.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/kelvo-kbcfuzz-XXXXXX"
                                                              : "/tmp/kelvo-kbcfuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        static std::string made = pattern;
        std::atexit([] { std::filesystem::remove_all(made); });
        return pattern + "/";
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = Folder() + "in.kbc";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::string output = Folder() + "out.zip";
    const std::string error = kelvo::DecryptArchive(path, "out.zip", "pw");
    if (!error.empty() && std::filesystem::exists(output))
        std::abort();
    std::filesystem::remove(output);
    return 0;
}
