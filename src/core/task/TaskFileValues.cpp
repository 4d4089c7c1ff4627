#include "task/TaskFileValues.h"

#include "app/TaskFileFormats.h"

#include <charconv>
#include <string_view>

namespace kelvo::TaskFileValues {

int64_t ToInteger(const std::string& text) {
    std::string_view digits(text);
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t'))
        digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t'))
        digits.remove_suffix(1);
    int64_t value = 0;
    auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size())
        throw TaskFileConversionError("'" + text + "' is not a valid integer value");
    return value;
}

double ToNumber(const std::string& text) {
    auto value = TaskFileFormats::ParseNumber(text);
    if (!value)
        throw TaskFileConversionError("'" + text + "' is not a valid floating point value");
    return *value;
}

} // namespace kelvo::TaskFileValues
