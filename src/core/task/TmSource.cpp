#include "task/TmSource.h"

#include <algorithm>
#include <strings.h>

namespace kelvo {

namespace {

template <typename T>
std::unique_ptr<T> Take(std::vector<std::unique_ptr<T>>& list, const T* entry) {
    auto it =
        std::find_if(list.begin(), list.end(), [&](const auto& e) { return e.get() == entry; });
    if (it == list.end())
        return nullptr;
    std::unique_ptr<T> taken = std::move(*it);
    list.erase(it);
    return taken;
}

template <typename T> void SortList(std::vector<std::unique_ptr<T>>& list) {
    std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
        return ::strcasecmp(a->FullName().c_str(), b->FullName().c_str()) < 0;
    });
}

} // namespace

std::unique_ptr<TDir> TmSource::RemoveFolder(const TDir* folder) {
    return Take(Folders, folder);
}

std::unique_ptr<TFis> TmSource::RemoveFile(const TFis* file) {
    return Take(Files, file);
}

void TmSource::SortByPath() {
    SortList(Folders);
    SortList(Files);
}

} // namespace kelvo
