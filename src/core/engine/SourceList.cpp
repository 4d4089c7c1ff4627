#include "engine/SourceList.h"

#include "engine/Masks.h"
#include "files/BuildTree.h"
#include "files/FileFacts.h"
#include "files/fSource.h"
#include "log/LogEntry.h"
#include "log/MessageTable.h"
#include "task/KBT.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace kelvo {

namespace {

template <typename Entry> void SortByPath(std::vector<std::unique_ptr<Entry>>& entries) {
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return PathLess(a->FullName(), b->FullName()); });
}

// One folder's entries; answers the subfolders to descend into.
std::vector<std::string> SearchOne(TDir& root, const std::string& folder, const SearchMasks& masks,
                                   bool signatures) {
    std::vector<std::string> below;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        // One unreadable folder must not hide the rest of the root.
        if (root.FTask)
            root.FTask->Log().AddEntry(
                3, kLogWarning, "Cannot read the folder " + folder + ": " + std::strerror(errno));
        return below;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "/" + name;
        // One lstat per entry; only links are followed to what they name.
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0)
            continue; // vanished
        const bool link = S_ISLNK(info.st_mode);
        if (link && (::stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)))
            continue; // dangling, or a link to a folder, which could loop
        if (S_ISDIR(info.st_mode)) {
            if (name.front() == '.')
                continue;
            if (!masks.Folders || masks.Passes(name)) {
                root.FFoundDirs.push_back(std::make_unique<TDi>(root.FSide, &root));
                root.FFoundDirs.back()->SetPath(path);
                root.FFoundDirs.back()->FTask = root.FTask;
            }
            below.push_back(path);
        } else if (S_ISREG(info.st_mode) && masks.Passes(name)) {
            root.FFoundFiles.push_back(std::make_unique<TFi>(root.FSide, &root));
            TFi& file = *root.FFoundFiles.back();
            file.SetPath(path);
            file.FTask = root.FTask;
            file.FSize = static_cast<int64_t>(info.st_size);
            file.FTime = LocalTime(info);
            if (signatures)
                file.FCrc = FileSignature(path, file.FSize);
        }
    }
    ::closedir(dir);
    return below;
}

} // namespace

bool SearchMasks::Passes(const std::string& name) const {
    return (Include.empty() || MatchesAny(name, Include)) &&
           (Exclude.empty() || !MatchesAny(name, Exclude));
}

SearchMasks RootMasks(const TDir& root, bool alsoFolders, bool excludeTemp,
                      const std::string& temporaryMasks) {
    SearchMasks masks;
    masks.Include = SplitMaskList(root.FInclusionMasks);
    std::string exclusion = root.FExclusionMasks;
    if (excludeTemp && !temporaryMasks.empty())
        exclusion += (exclusion.empty() ? "" : ";") + temporaryMasks;
    masks.Exclude = SplitMaskList(exclusion);
    masks.Folders = alsoFolders;
    return masks;
}

void SearchFolder(TDir& root, const SearchMasks& masks, bool signatures, bool recursive) {
    root.ClearFound();
    std::vector<std::string> pending = {root.FullName()};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        std::vector<std::string> below = SearchOne(root, folder, masks, signatures);
        if (recursive)
            pending.insert(pending.end(), below.rbegin(), below.rend());
    }
    SortByPath(root.FFoundDirs);
    SortByPath(root.FFoundFiles);
}

void CreateSourceList(KBT& task, const std::vector<UselessFile>& useless, TDir* only,
                      bool recursive) {
    if (task.FSourceScanned && !only)
        return;
    task.Log().AddEntry(2, kLogInfo, Msg("_CreatedSrcList"));
    const bool signatures = task.FGeneral.Type != 1;
    const std::string temporary = TemporaryMasks(useless);
    const TmSource& source = task.FSource;
    auto search = [&](TDir& root) {
        root.FTask = &task;
        if (!root.FSource) {
            root.FSource = std::make_shared<TfSource>(&root);
            root.FSource->SetKind(root.Endpoint.Kind == kLanFolder ? kLanFolder : kLocalFolder);
            root.FSource->FRemoteName = root.FullName();
            root.FSource->FUserName = root.Endpoint.UserName;
            root.FSource->FPassword = root.Endpoint.Password;
        }
        if (!root.FSource->Connect()) {
            root.ClearFound(); // logged by the endpoint
            return;
        }
        SearchFolder(root, RootMasks(root, source.AlsoFoldersMAsk, source.ExcludeTemp, temporary),
                     signatures, recursive);
        root.FSource->Disconnect();
    };
    if (only) {
        search(*only);
        BuildTree(*only);
    } else {
        for (const auto& root : source.Folders)
            search(*root);
    }
    for (const auto& file : source.Files) {
        file->FTask = &task;
        ReadFileFacts(*file, signatures && file->Special <= 0);
    }
    if (!only && recursive)
        task.FSourceScanned = true;
}

} // namespace kelvo
