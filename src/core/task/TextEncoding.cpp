#include "task/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace kelvo {

bool IsValidUtf8(std::string_view data) {
    static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    size_t i = 0;
    while (i < data.size()) {
        const auto lead = static_cast<unsigned char>(data[i]);
        size_t extra = 0;
        if (lead >= 0x80) {
            if ((lead & 0xE0) == 0xC0)
                extra = 1;
            else if ((lead & 0xF0) == 0xE0)
                extra = 2;
            else if ((lead & 0xF8) == 0xF0)
                extra = 3;
            else
                return false;
        }
        if (extra > data.size() - i - 1)
            return false;
        uint32_t code = extra == 0 ? lead : lead & (0x3Fu >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(data[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3Fu);
        }
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

std::string Latin1ToUtf8(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (char ch : data) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

namespace {

bool HasByteOrderMark(std::string_view d) {
    auto starts = [&](std::string_view bom) { return d.substr(0, bom.size()) == bom; };
    return starts("\xEF\xBB\xBF") || starts("\xFF\xFE") || starts("\xFE\xFF") ||
           starts(std::string_view("\0\0\xFE\xFF", 4));
}

// The encoding named by "<?xml ... encoding='...'?>", lower-cased; empty when none.
std::string DeclaredEncoding(std::string_view d) {
    if (d.substr(0, 5) != "<?xml")
        return {};
    const size_t end = d.find("?>");
    const std::string_view declaration = d.substr(0, end);
    const size_t key = declaration.find("encoding");
    if (key == std::string_view::npos)
        return {};
    const size_t quote = declaration.find_first_of("\"'", key);
    if (quote == std::string_view::npos)
        return {};
    const size_t close = declaration.find(declaration[quote], quote + 1);
    std::string name(declaration.substr(quote + 1, close - quote - 1));
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

} // namespace

bool LooksLikeUndeclaredLatin1(std::string_view xml) {
    if (HasByteOrderMark(xml))
        return false;
    const std::string declared = DeclaredEncoding(xml);
    if (!declared.empty() && declared != "utf-8" && declared != "utf8" &&
        declared != "windows-1252" && declared != "cp1252")
        return false; // pugixml decodes what it names (latin1, utf-16, ...)
    return !IsValidUtf8(xml);
}

} // namespace kelvo
