#pragma once

// A scratch folder for fuzz targets that need files: in memory when possible
// (every save flushes), removed when the fuzzer exits.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace kelvo::fuzz {

inline const std::string& ScratchFolder() {
    static const std::string folder = [] {
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/kelvo-fuzz-XXXXXX"
                                                              : "/tmp/kelvo-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        static std::string made = pattern;
        std::atexit([] { std::filesystem::remove_all(made); });
        return pattern + "/";
    }();
    return folder;
}

// Writes the fuzzer's input as the file path.
inline void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace kelvo::fuzz
