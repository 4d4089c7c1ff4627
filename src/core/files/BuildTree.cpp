#include "files/BuildTree.h"

#include <algorithm>
#include <unordered_map>

namespace kelvo {

namespace {

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ParentPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

template <typename Entry> void SortByPath(std::vector<std::unique_ptr<Entry>>& entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return PathLess(a->FullName(), b->FullName());
    });
}

} // namespace

bool PathLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y));
    });
}

void BuildTree(TDir& root) {
    root.FSubDirs.clear();
    root.FFiles.clear();
    root.FSize = 0;
    SortByPath(root.FFoundDirs);
    SortByPath(root.FFoundFiles);
    std::unordered_map<std::string, TDi*> folders;
    for (const auto& folder : root.FFoundDirs) {
        folder->FSubDirs.clear();
        folder->FFiles.clear();
        folder->FSize = 0;
        folders.emplace(folder->FullName(), folder.get());
    }
    auto parentOf = [&](const std::string& path) -> TDi* {
        const auto found = folders.find(ParentPath(path));
        return found == folders.end() ? &root : found->second;
    };
    for (const auto& folder : root.FFoundDirs) {
        TDi* parent = parentOf(folder->FullName());
        folder->FParent = parent;
        parent->FSubDirs.push_back(folder.get());
    }
    for (const auto& file : root.FFoundFiles) {
        TDi* parent = parentOf(file->FullName());
        file->FParent = parent;
        parent->FFiles.push_back(file.get());
        if (file->FSize > 0)
            parent->FSize += file->FSize;
    }
}

std::string RelativePath(const TDi& folder, bool withRoot) {
    std::vector<const TDi*> chain;
    for (const TDi* at = &folder; at && at->FKind != kRootFolder; at = at->FParent)
        chain.push_back(at);
    std::string path;
    if (withRoot && folder.FRoot)
        path = folder.FRoot->Name();
    for (auto at = chain.rbegin(); at != chain.rend(); ++at)
        path += (path.empty() ? "" : "/") + (*at)->Name();
    return path;
}

} // namespace kelvo
