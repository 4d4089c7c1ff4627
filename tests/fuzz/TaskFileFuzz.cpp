// Any bytes as a task file: loading never crashes, and a loaded task saves to
// a file that loads back into the same task (its second save is identical).
#include "task/KBT.h"

#include "FuzzScratch.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    const std::string path = kelvo::fuzz::ScratchFolder() + "Fuzz.kbt";
    kelvo::fuzz::WriteInput(path, data, size);
    KBT task(kelvo::fuzz::ScratchFolder(), "Fuzz");
    task.FGeneral.Name = "Fuzz";
    if (task.FDestination.Folder.Endpoint.Kind == kFtpServer) {
        // An FTP task snapshots its sources from the disk: not this machine's.
        task.FSource.Folders.clear();
        task.FSource.Files.clear();
    }
    if (!task.Save(false))
        return 0;
    const std::string first = Slurp(path);
    KBT again(kelvo::fuzz::ScratchFolder(), "Fuzz");
    if (!again.Save(false) || Slurp(path) != first)
        std::abort();
    ::unlink((kelvo::fuzz::ScratchFolder() + "Fuzz.log").c_str());
    return 0;
}
