#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The INI format as profile files have it: "[section]" lines, "key=value"
// lines, ";" comments. Sections and keys compare without regard to case; the
// first occurrence counts; values lose surrounding blanks and one pair of
// enclosing quotes. Writing keeps every other line of the file as it was.
class IniFile {
public:
    void LoadFromString(std::string_view text);
    bool LoadFromFile(const std::string& path); // false when unreadable (the file stays empty)
    std::string SaveToString() const;
    bool SaveToFile(const std::string& path) const;

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           const std::string& fallback) const;
    // Decimal, or hexadecimal with "$" or "0x"; anything else gives the fallback.
    int64_t ReadInteger(std::string_view section, std::string_view key, int64_t fallback) const;
    bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

    void Write(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int64_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);

    static std::optional<int64_t> ParseInteger(std::string_view text);

private:
    struct Line {
        std::string text;
        std::string section; // set on "[section]" lines
        std::string key;     // set on "key=value" lines
    };
    // Index of the line of the section's header, or npos.
    size_t FindSection(std::string_view section) const;
    // Index of the key's line inside the section starting at header, or npos.
    size_t FindKey(size_t header, std::string_view key) const;

    std::vector<Line> lines_;
};

} // namespace kelvo
