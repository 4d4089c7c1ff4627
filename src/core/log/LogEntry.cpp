#include "log/LogEntry.h"

#include "platform/FileIO.h"

#include <charconv>

namespace kelvo {

namespace {

bool ParseInt(std::string_view text, int& value) {
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

// The field of a line up to the next "|", advancing past it.
std::string_view NextField(std::string_view& line) {
    const size_t bar = line.find('|');
    std::string_view field = line.substr(0, bar);
    line = bar == std::string_view::npos ? std::string_view() : line.substr(bar + 1);
    return field;
}

} // namespace

std::string TDMessage::Line() const {
    return std::to_string(Channel) + "|" + std::to_string(Kind) + "|" + Time + "|" + Text + "|";
}

std::vector<TDMessage> ParseLog(std::string_view text) {
    std::vector<TDMessage> entries;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        TDMessage entry;
        if (!ParseInt(NextField(line), entry.Channel) || !ParseInt(NextField(line), entry.Kind))
            break;
        entry.Time = std::string(NextField(line));
        entry.Text = std::string(NextField(line));
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<TDMessage> ReadLogFile(const std::string& path) {
    auto text = ReadWholeFile(path);
    return text ? ParseLog(*text) : std::vector<TDMessage>{};
}

LogViewLine ViewLine(const TDMessage& entry, bool showTimeStamp) {
    struct Style {
        const char* prefix;
        uint32_t colour;
    };
    static const Style kStyles[] = {{"", 0x808080},
                                    {"WARNING: ", 0x0000FF},
                                    {"ERROR: ", 0xFF0000},
                                    {"CRASH: ", 0xFF0000},
                                    {"STATUS: ", 0x008000}};
    const Style style =
        entry.Kind >= 0 && entry.Kind < 5 ? kStyles[entry.Kind] : Style{"", 0x000000};
    if (entry.Text == kRunStartMarker || entry.Text == kRunEndMarker)
        return {std::string(35, '-'), style.colour};
    std::string text = style.prefix + entry.Text;
    if (showTimeStamp)
        text = entry.Time + " " + text;
    return {std::move(text), style.colour};
}

} // namespace kelvo
