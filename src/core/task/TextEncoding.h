#pragma once

#include <string>
#include <string_view>

namespace kelvo {

bool IsValidUtf8(std::string_view data);
std::string Latin1ToUtf8(std::string_view data);

// True for an XML text without byte-order mark whose declaration names no
// encoding pugixml decodes itself, and whose bytes are not valid UTF-8: older
// files of this kind were written in ISO-8859-1.
bool LooksLikeUndeclaredLatin1(std::string_view xml);

} // namespace kelvo
