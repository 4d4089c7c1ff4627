#pragma once

#include <string>
#include <string_view>

namespace kelvo {

bool IsValidUtf8(std::string_view data);
// The text with every byte that is not part of a valid sequence replaced by U+FFFD.
std::string RepairUtf8(std::string_view data);
std::string Latin1ToUtf8(std::string_view data);

// How to decode an XML text so that its tree holds valid UTF-8: pugixml's own
// detection (byte-order marks, UTF-16/32 byte patterns, an ISO-8859-1
// declaration), except that a text pugixml would take as UTF-8 but is not is
// read as ISO-8859-1, as older files of this kind were written.
struct XmlDecoding {
    size_t skip = 0;     // bytes of a byte-order mark to drop first
    bool latin1 = false; // decode as ISO-8859-1, else let pugixml detect
};
XmlDecoding DecideXmlDecoding(std::string_view xml);

} // namespace kelvo
