#pragma once

#include "files/FD.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvo {

// Storage forms of a backup.
enum StorageForm : int { kPlainCopies = 0, kZipArchive = 1, kSelfExtracting = 2, kAesArchive = 3 };

// Where and how a task stores its backup.
struct TmDestination {
    int Channel = 4;
    int64_t dtype = kPlainCopies;
    int64_t rb = kLocalFolder;
    TDir Folder{2};
    bool archive = false;
    TAr Archive;
    TFi list{2};
    std::vector<std::string> Stacks; // oldest first
    std::vector<std::unique_ptr<TFi>> DestinationFiles;
    std::vector<std::unique_ptr<TDi>> DestinationFolders;

    // The storage form an editor's settings mean.
    int64_t DeriveDtype() const;
    // Sets the archive's name and paths from the settings read; nameBase is the
    // task's ArchiveFolderName.
    void ApplyArchivePath(const std::string& nameBase);
};

} // namespace kelvo
