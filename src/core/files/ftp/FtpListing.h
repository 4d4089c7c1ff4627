#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// One entry of a remote folder listing.
struct FtpItem {
    std::string Name;
    bool IsFolder = false;
    int64_t Size = 0;
    TDateTime Time = 0; // local time; 0 when the listing gives none
};

// Parses the answer of LIST (Unix and MS-DOS formats) or MLSD. A listing is
// untrusted: lines that do not parse, and names ".", "..", or with "/" or NUL
// are left out, so that nothing built from it can leave its folder. now
// decides the year of Unix entries that show a time instead of one.
std::vector<FtpItem> ParseFtpListing(std::string_view text, bool mlsd, SystemTime now);
std::optional<FtpItem> ParseListLine(std::string_view line, SystemTime now);
std::optional<FtpItem> ParseMlsdLine(std::string_view line);

} // namespace kelvo
