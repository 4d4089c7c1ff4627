#pragma once

#include <string>
#include <string_view>

namespace kelvo::cli {

// A JSON string literal; text that is not UTF-8 is taken as ISO-8859-1.
std::string JsonString(std::string_view text);

} // namespace kelvo::cli
