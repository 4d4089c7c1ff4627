#include "Json.h"

#include "task/TextEncoding.h"

#include <cstdio>

namespace kelvo::cli {

std::string JsonString(std::string_view text) {
    const std::string utf8 = IsValidUtf8(text) ? std::string(text) : Latin1ToUtf8(text);
    std::string out = "\"";
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (ch) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

} // namespace kelvo::cli
