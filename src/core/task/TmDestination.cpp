#include "task/TmDestination.h"

namespace kelvo {

int64_t TmDestination::DeriveDtype() const {
    if (Archive.FSecurity == "AES")
        return kAesArchive;
    if (Archive.FSelfExtracting)
        return kSelfExtracting;
    return archive ? kZipArchive : kPlainCopies;
}

void TmDestination::ApplyArchivePath(const std::string& nameBase) {
    std::string folder = Folder.FullName();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    const std::string path = folder + nameBase;
    Archive.FArchiveName = archive ? nameBase : "";
    if (Archive.FSelfExtracting) {
        Archive.SetPath(path + ".exe");
    } else {
        Archive.SetPath(path + ".zip");
        Archive.FCryName = path + ".cry";
    }
}

} // namespace kelvo
