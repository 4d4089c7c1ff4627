#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

// What a run will write to one file system (the role of a drive) and what
// was free there when the record was made.
struct TSpaceRequiredObj {
    std::string FDrive;
    int64_t FRequiredKB = 0;
    int64_t FAvailableKB = 0;
};

// The records of one size-only pass, one per file system.
class TSpaceRequiredCollection {
public:
    explicit TSpaceRequiredCollection(const FileSystems& systems = SystemFileSystems())
        : systems_(systems) {}

    // Adds bytes (rounded to the nearest KB) to the requirement of the path's
    // file system; answers whether it still fits. Unknown free space fits nothing.
    bool Require(const std::string& path, int64_t bytes);
    const std::vector<TSpaceRequiredObj>& Records() const { return records_; }

private:
    const FileSystems& systems_;
    std::vector<TSpaceRequiredObj> records_;
};

// Raises "Not enough free space on destination" when the path's file system
// cannot take what the run requires of it. Nothing is checked for CD/DVD
// destinations, empty paths and network paths ("//").
void CheckSpace(TSpaceRequiredCollection& space, int destinationType, const std::string& path,
                int64_t bytes);

} // namespace kelvo
