#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace kelvo {

// The loosely typed value of XML nodes and attributes: empty, boolean, integer,
// number or string, turned into text by the usual variant rules.
class TVariant {
public:
    TVariant() = default;
    TVariant(bool value) : value_(value) {}
    TVariant(int value) : value_(static_cast<int64_t>(value)) {}
    TVariant(int64_t value) : value_(value) {}
    TVariant(double value) : value_(value) {}
    TVariant(std::string value) : value_(std::move(value)) {}
    TVariant(const char* value) : value_(std::string(value)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }
    std::string ToString() const;

    bool operator==(const TVariant& other) const = default;

private:
    std::variant<std::monostate, bool, int64_t, double, std::string> value_;
};

} // namespace kelvo
