#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The non-empty pieces of text between separators: "/home//ann/" gives home, ann.
std::vector<std::string> SplitNonEmpty(std::string_view text, char separator);

} // namespace kelvo
