#pragma once

#include "files/FD.h"
#include "sources/KBTPlugin.h"
#include "sources/Reg.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvo {

// What a task takes: folders and single files with their masks and
// credentials, registry keys and application-settings plug-ins.
struct TmSource {
    TKBTPluginsCollection Plugins;
    TRegCollection Registry;
    int Channel = 3;
    std::vector<std::unique_ptr<TDir>> Folders;
    std::vector<std::unique_ptr<TFis>> Files;
    std::string InclusionMask;
    std::string ExclusionMask;
    bool AlsoFoldersMAsk = false;
    bool ExcludeTemp = false;

    // Takes the entry out of its list without freeing it.
    std::unique_ptr<TDir> RemoveFolder(const TDir* folder);
    std::unique_ptr<TFis> RemoveFile(const TFis* file);
    // Both lists by path, ignoring letter case.
    void SortByPath();
};

} // namespace kelvo
