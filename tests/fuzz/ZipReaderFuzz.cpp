// Any bytes as an archive: the reader answers ZipError or reads; it never
// crashes, loops or allocates without bound.
#include "files/zip/ZipReader.h"

#include "FuzzScratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    const std::string path = kelvo::fuzz::ScratchFolder() + "in.zip";
    kelvo::fuzz::WriteInput(path, data, size);
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
                zip.Extract(zip.Members()[0], kelvo::fuzz::ScratchFolder() + "out", "pw");
            } catch (const ZipError&) {
            }
    } catch (const ZipError&) {
    }
    return 0;
}
