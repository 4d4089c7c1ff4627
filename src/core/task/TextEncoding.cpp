#include "task/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace kelvo {

namespace {

// Length of the valid UTF-8 sequence at data[i], or 0 when there is none.
size_t SequenceLength(std::string_view data, size_t i) {
    static const uint32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(data[i]);
    size_t extra = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        extra = 1;
    else if ((lead & 0xF0) == 0xE0)
        extra = 2;
    else if ((lead & 0xF8) == 0xF0)
        extra = 3;
    else
        return 0;
    if (extra > data.size() - i - 1)
        return 0;
    uint32_t code = lead & (0x3Fu >> extra);
    for (size_t k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(data[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return extra + 1;
}

} // namespace

bool IsValidUtf8(std::string_view data) {
    for (size_t i = 0; i < data.size();) {
        const size_t length = SequenceLength(data, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::string RepairUtf8(std::string_view data) {
    std::string out;
    out.reserve(data.size());
    for (size_t i = 0; i < data.size();) {
        const size_t length = SequenceLength(data, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for each byte that fits nowhere
            ++i;
        } else {
            out.append(data.substr(i, length));
            i += length;
        }
    }
    return out;
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

XmlDecoding DecideXmlDecoding(std::string_view xml) {
    constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
    if (xml.substr(0, 3) == kUtf8Mark)
        return IsValidUtf8(xml.substr(3)) ? XmlDecoding{} : XmlDecoding{3, true};
    if (HasByteOrderMark(xml))
        return {};
    if (xml.size() >= 2 && (xml[0] == '\0' || xml[1] == '\0'))
        return {}; // UTF-16 or UTF-32 without a mark: pugixml sees it in the first bytes
    const std::string declared = DeclaredEncoding(xml);
    if (declared == "iso-8859-1" || declared == "latin1")
        return {}; // pugixml decodes these itself
    // Undeclared, UTF-8, or a name pugixml does not know: what is not UTF-8 was
    // written in ISO-8859-1 (or its Windows superset) by older versions.
    return IsValidUtf8(xml) ? XmlDecoding{} : XmlDecoding{0, true};
}

} // namespace kelvo
