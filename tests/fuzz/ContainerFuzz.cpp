// Any bytes as an encrypted container: decryption answers one of its error
// texts or succeeds, and leaves no output behind when it fails.
#include "crypto/Container.h"

#include "FuzzScratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string path = kelvo::fuzz::ScratchFolder() + "in.kbc";
    kelvo::fuzz::WriteInput(path, data, size);
    const std::string output = kelvo::fuzz::ScratchFolder() + "out.zip";
    const std::string error = kelvo::DecryptArchive(path, "out.zip", "pw");
    if (!error.empty() && std::filesystem::exists(output))
        std::abort();
    std::filesystem::remove(output);
    return 0;
}
