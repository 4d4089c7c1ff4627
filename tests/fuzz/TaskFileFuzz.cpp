// Any bytes as a task file: loading never crashes, and a loaded task saves to
// a file that loads back into the same task (its second save is identical).
#include "task/KBT.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& Folder() {
    static const std::string folder = [] {
        // In memory when possible: every save flushes to disk.
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

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    const std::string path = Folder() + "Fuzz.kbt";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    KBT task(Folder(), "Fuzz");
    task.FGeneral.Name = "Fuzz";
    if (task.FDestination.Folder.Endpoint.Kind == kFtpServer) {
        // An FTP task snapshots its sources from the disk: not this machine's.
        task.FSource.Folders.clear();
        task.FSource.Files.clear();
    }
    if (!task.Save(false))
        return 0;
    const std::string first = Slurp(path);
    KBT again(Folder(), "Fuzz");
    if (!again.Save(false) || Slurp(path) != first)
        std::abort();
    ::unlink((Folder() + "Fuzz.log").c_str());
    return 0;
}
