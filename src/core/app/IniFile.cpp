#include "app/IniFile.h"

#include "platform/FileIO.h"

#include <charconv>
#include <strings.h>

namespace kelvo {

namespace {

std::string_view Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

void IniFile::LoadFromString(std::string_view text) {
    lines_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view raw = text.substr(start, end - start);
        start = end + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        Line line{std::string(raw), {}, {}};
        const std::string_view trimmed = Trim(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[') {
            const size_t close = trimmed.find(']');
            if (close != std::string_view::npos)
                line.section = std::string(Trim(trimmed.substr(1, close - 1)));
            if (line.section.empty())
                line.section.assign(1, ' '); // "[]": a section nobody can ask for
        } else if (!trimmed.empty() && trimmed.front() != ';') {
            const size_t eq = trimmed.find('=');
            if (eq != std::string_view::npos && eq > 0)
                line.key = std::string(Trim(trimmed.substr(0, eq)));
        }
        lines_.push_back(std::move(line));
    }
}

bool IniFile::LoadFromFile(const std::string& path) {
    auto text = ReadWholeFile(path);
    LoadFromString(text ? *text : "");
    return text.has_value();
}

std::string IniFile::SaveToString() const {
    std::string out;
    for (const Line& line : lines_)
        out += line.text + "\n";
    return out;
}

bool IniFile::SaveToFile(const std::string& path) const {
    return WriteFileAtomically(path, SaveToString());
}

size_t IniFile::FindSection(std::string_view section) const {
    for (size_t i = 0; i < lines_.size(); ++i)
        if (SameName(lines_[i].section, section))
            return i;
    return std::string::npos;
}

size_t IniFile::FindKey(size_t header, std::string_view key) const {
    for (size_t i = header + 1; i < lines_.size() && lines_[i].section.empty(); ++i)
        if (SameName(lines_[i].key, key))
            return i;
    return std::string::npos;
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    const size_t header = FindSection(section);
    if (header == std::string::npos)
        return std::nullopt;
    const size_t index = FindKey(header, key);
    if (index == std::string::npos)
        return std::nullopt;
    const std::string& text = lines_[index].text;
    std::string_view value = Trim(std::string_view(text).substr(text.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                const std::string& fallback) const {
    auto value = Read(section, key);
    return value ? *value : fallback;
}

std::optional<int64_t> IniFile::ParseInteger(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text.front() == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    uint64_t magnitude = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size())
        return std::nullopt;
    if (magnitude > (negative ? 9223372036854775808ull : 9223372036854775807ull))
        return std::nullopt;
    return negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

int64_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                             int64_t fallback) const {
    auto value = Read(section, key);
    auto parsed = value ? ParseInteger(*value) : std::nullopt;
    return parsed ? *parsed : fallback;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
    return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    // A line break in a value would start new lines, that is: new keys.
    std::string flat(value);
    for (char& c : flat)
        if (c == '\r' || c == '\n')
            c = ' ';
    std::string text(key);
    text.append("=").append(flat);
    Line line{std::move(text), {}, std::string(key)};
    size_t header = FindSection(section);
    if (header == std::string::npos) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty())
            lines_.push_back({"", {}, {}});
        std::string header = "[";
        header.append(section).append("]");
        lines_.push_back({std::move(header), std::string(section), {}});
        lines_.push_back(std::move(line));
        return;
    }
    if (size_t index = FindKey(header, key); index != std::string::npos) {
        lines_[index].text = std::move(line.text);
        return;
    }
    // After the section's last entry, before the blank lines that separate it.
    size_t insert = header + 1;
    for (size_t i = header + 1; i < lines_.size() && lines_[i].section.empty(); ++i)
        if (!Trim(lines_[i].text).empty())
            insert = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert), std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
    Write(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    Write(section, key, value ? "1" : "0");
}

} // namespace kelvo
