#pragma once

#include "app/Options.h"
#include "files/FD.h"

#include <string>
#include <vector>

namespace kelvo {

class KBT;

// The masks the folder search applies to one root.
struct SearchMasks {
    std::vector<std::string> Include, Exclude; // empty: no restriction
    bool Folders = false;                      // folder names must pass too
    bool Passes(const std::string& name) const;
};

// The root's own lists, the temporary masks appended to its exclusions when
// the task excludes temporary files.
SearchMasks RootMasks(const TDir& root, bool alsoFolders, bool excludeTemp,
                      const std::string& temporaryMasks);

// Searches below the root into its flat lists, sorted by path case-folded:
// every folder is descended into except those whose name begins with ".",
// folders are reported when they pass (or always without folder masks),
// files when they pass, with size, time and, when asked, signature. A folder
// that cannot be read is left out with a warning in the task log.
void SearchFolder(TDir& root, const SearchMasks& masks, bool signatures, bool recursive = true);

// The task's source list: every folder root (or only the one given, whose
// tree is then built) and the single-file items. A full build marks the
// list as built, and a built list is not searched again unless a root is named.
void CreateSourceList(KBT& task, const std::vector<UselessFile>& useless, TDir* only = nullptr,
                      bool recursive = true);

} // namespace kelvo
