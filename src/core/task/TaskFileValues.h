#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace kelvo {

// A number field of a task file that holds no number: reading ends there,
// and what was read before stays.
struct TaskFileConversionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

namespace TaskFileValues {

// Decimal with an optional sign (blanks around it are tolerated); raises
// TaskFileConversionError otherwise.
int64_t ToInteger(const std::string& text);
// A day number or other decimal with "." as separator; raises likewise.
double ToNumber(const std::string& text);
// True exactly for "true".
inline bool ToBool(const std::string& text) {
    return text == "true";
}
inline const char* BoolText(bool value) {
    return value ? "true" : "false";
}

} // namespace TaskFileValues

} // namespace kelvo
