#include "task/TaskFileVersion.h"

#include <cstdint>

namespace kelvo {

namespace {

// The next part of a dotted version as a number, advancing past its dot.
uint64_t NextPart(std::string_view& text) {
    uint64_t value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] != '.'; ++i)
        if (text[i] >= '0' && text[i] <= '9' && value < UINT64_MAX / 10)
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
    text.remove_prefix(i < text.size() ? i + 1 : i);
    return value;
}

} // namespace

int CompareVersions(std::string_view a, std::string_view b) {
    while (!a.empty() || !b.empty()) {
        const uint64_t left = NextPart(a), right = NextPart(b);
        if (left != right)
            return left < right ? -1 : 1;
    }
    return 0;
}

bool UsesLegacyDateTexts(std::string_view version) {
    return CompareVersions(version, kTaskFileVersion) < 0;
}

} // namespace kelvo
