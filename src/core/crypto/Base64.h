#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// Standard alphabet with "=" padding.
std::string Base64Encode(std::string_view bytes);
// Tolerant: characters outside the alphabet (line breaks, blanks) are skipped
// and decoding ends at the first "="; a dangling last character is dropped.
std::string Base64Decode(std::string_view text);

} // namespace kelvo
