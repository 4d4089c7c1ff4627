#include "sources/Reg.h"

#include <algorithm>

namespace kelvo {

void TRegCollection::Add(TReg item) {
    const auto same = [&](const TReg& existing) { return existing.Path == item.Path; };
    if (std::none_of(items_.begin(), items_.end(), same))
        items_.push_back(std::move(item));
}

void TRegCollection::Remove(const std::string& path) {
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const TReg& existing) { return existing.Path == path; });
    if (it != items_.end())
        items_.erase(it);
}

} // namespace kelvo
