// kelvo-bench zip ARCHIVE FOLDER [LEVEL [PASSWORD [VOLUME]]]
// kelvo-bench unzip ARCHIVE FOLDER [PASSWORD]
// kelvo-bench encrypt ZIP CONTAINER PASSWORD
// kelvo-bench decrypt CONTAINER OUTPUT-NAME PASSWORD
#include "crypto/Container.h"
#include "files/zip/ZipReader.h"
#include "files/zip/ZipWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using namespace kelvo;
namespace fs = std::filesystem;

namespace {

int Zip(const std::vector<std::string>& args) {
    const fs::path root = args.at(1);
    const int level = args.size() > 2 ? std::stoi(args[2]) : 6;
    ZipWriterSettings settings;
    settings.Password = args.size() > 3 ? args[3] : "";
    settings.VolumeSize = args.size() > 4 ? std::stoull(args[4]) : 0;
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    ZipWriter zip(args[0], settings);
    const std::string prefix = root.filename().string() + "/";
    for (const fs::path& file : files)
        zip.AddFile(file.string(), prefix + file.lexically_relative(root).generic_string(), level);
    const ZipResult result = zip.Finish();
    std::fprintf(stderr, "%llu members, %llu -> %llu bytes\n",
                 static_cast<unsigned long long>(result.Members),
                 static_cast<unsigned long long>(result.Original),
                 static_cast<unsigned long long>(result.ArchiveSize));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
    const std::string command = argc > 1 ? argv[1] : "";
    try {
        if (command == "zip")
            return Zip(args);
        if (command == "unzip") {
            fs::create_directories(args.at(1));
            ZipReader(args.at(0)).ExtractAll(args[1], args.size() > 2 ? args[2] : "");
            return 0;
        }
        if (command == "encrypt") {
            EncryptArchive(args.at(0), args.at(1), args.at(2));
            return 0;
        }
        if (command == "decrypt") {
            const std::string error = DecryptArchive(args.at(0), args.at(1), args.at(2));
            if (!error.empty())
                std::fprintf(stderr, "%s\n", error.c_str());
            return error.empty() ? 0 : 1;
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "kelvo-bench: %s\n", error.what());
        return 2;
    }
    std::fprintf(stderr, "usage: kelvo-bench zip|unzip|encrypt|decrypt ...\n");
    return 64;
}
