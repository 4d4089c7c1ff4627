#include "app/TaskFileFormats.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace kelvo::TaskFileFormats {

namespace {

std::string TwoDigits(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// Splits "a/b/c" into whole numbers; empty when a field is not a number.
std::vector<int> SplitNumbers(std::string_view text, char separator) {
    std::vector<int> fields;
    size_t start = 0;
    while (true) {
        size_t end = text.find(separator, start);
        std::string_view field =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        int value = 0;
        auto [ptr, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
        if (field.empty() || field.size() > 4 || ec != std::errc() ||
            ptr != field.data() + field.size())
            return {};
        fields.push_back(value);
        if (end == std::string_view::npos)
            return fields;
        start = end + 1;
    }
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string FormatDate(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d", p.day, p.month, p.year);
    return buffer;
}

std::string FormatShortTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    return TwoDigits(p.hour) + ":" + TwoDigits(p.minute);
}

std::string FormatLongTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    return TwoDigits(p.hour) + ":" + TwoDigits(p.minute) + ":" + TwoDigits(p.second);
}

std::string FormatDateTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    if (p.hour == 0 && p.minute == 0 && p.second == 0)
        return FormatDate(value);
    return FormatDate(value) + " " + FormatLongTime(value);
}

std::string FormatNumber(double value) {
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value > 0 ? "INF" : "-INF";
    if (value == 0)
        return "0";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", value); // 15 significant digits
    std::string text = buffer;
    const size_t e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    const bool negative = text[0] == '-';
    std::string digits;
    for (size_t i = negative ? 1 : 0; i < e; ++i)
        if (text[i] != '.')
            digits += text[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -5) {
        out += digits.substr(0, 1);
        if (digits.size() > 1)
            out += "." + digits.substr(1);
        return out + "E" + std::to_string(exponent);
    }
    if (exponent < 0)
        return out + "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
    const size_t whole = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= whole)
        return out + digits + std::string(whole - digits.size(), '0');
    return out + digits.substr(0, whole) + "." + digits.substr(whole);
}

std::optional<double> ParseNumber(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // "nan" and "inf" are numbers to from_chars but no value of ours.
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
        !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<TDateTime> ParseDate(std::string_view text, DateOrder order) {
    const std::vector<int> f = SplitNumbers(Trim(text), '/');
    if (f.size() != 3)
        return std::nullopt;
    DateTimeParts p;
    p.day = order == DateOrder::DayMonthYear ? f[0] : f[1];
    p.month = order == DateOrder::DayMonthYear ? f[1] : f[0];
    p.year = f[2];
    const size_t yearDigits = Trim(text).size() - Trim(text).rfind('/') - 1;
    if (yearDigits <= 2)
        p.year += p.year < 50 ? 2000 : 1900;
    TDateTime out = 0;
    if (!TryEncodeDateTime(p, out))
        return std::nullopt;
    return out;
}

std::optional<TDateTime> ParseTime(std::string_view text) {
    const std::vector<int> f = SplitNumbers(Trim(text), ':');
    if (f.size() != 2 && f.size() != 3)
        return std::nullopt;
    DateTimeParts p;
    p.hour = f[0];
    p.minute = f[1];
    p.second = f.size() == 3 ? f[2] : 0;
    TDateTime out = 0;
    if (!TryEncodeDateTime(p, out))
        return std::nullopt;
    return out;
}

} // namespace kelvo::TaskFileFormats
