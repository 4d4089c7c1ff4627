#pragma once

#include <string_view>

namespace kelvo {

// The format version task files are written with.
constexpr std::string_view kTaskFileVersion = "1.0.1";

// Compares dotted versions part by part as numbers; a missing or non-numeric
// part counts as 0. Negative, zero or positive like strcmp.
int CompareVersions(std::string_view a, std::string_view b);

// Files older than kTaskFileVersion stored dates and times as text.
bool UsesLegacyDateTexts(std::string_view version);

} // namespace kelvo
