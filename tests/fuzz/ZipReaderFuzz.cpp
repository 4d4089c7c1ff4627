// Any bytes as an archive: the reader answers ZipError or reads; it never
// crashes, loops or allocates without bound.
#include "files/zip/ZipReader.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        std::string pattern = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm/kelvo-zipfuzz-XXXXXX"
                                                              : "/tmp/kelvo-zipfuzz-XXXXXX";
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
    using namespace kelvo;
    const std::string path = Folder() + "in.zip";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        ZipReader zip(path);
        for (const ZipMember& member : zip.Members()) {
            IsSafeMemberName(member.Name);
            try {
                zip.Read(member, "pw", 1 << 20);
            } catch (const ZipError&) {
            }
        }
        if (!zip.Members().empty())
            try {
                zip.Extract(zip.Members()[0], Folder() + "out", "pw");
            } catch (const ZipError&) {
            }
    } catch (const ZipError&) {
    }
    return 0;
}
