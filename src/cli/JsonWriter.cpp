#include "JsonWriter.h"

#include "Json.h"

#include "app/TaskFileFormats.h"

#include <cmath>

namespace kelvo::cli {

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        out_ += hasItems_.back() ? ",\n" : "\n";
        hasItems_.back() = true;
        out_ += std::string(2 * hasItems_.size(), ' ');
    }
}

JsonWriter& JsonWriter::BeginObject() {
    BeforeValue();
    out_ += "{";
    hasItems_.push_back(false);
    return *this;
}

JsonWriter& JsonWriter::BeginArray() {
    BeforeValue();
    out_ += "[";
    hasItems_.push_back(false);
    return *this;
}

void JsonWriter::Close(char bracket) {
    const bool had = hasItems_.back();
    hasItems_.pop_back();
    if (had)
        out_ += "\n" + std::string(2 * hasItems_.size(), ' ');
    out_ += bracket;
}

JsonWriter& JsonWriter::EndObject() {
    Close('}');
    return *this;
}

JsonWriter& JsonWriter::EndArray() {
    Close(']');
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    BeforeValue();
    out_ += JsonString(key) + ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    out_ += JsonString(text);
    return *this;
}

JsonWriter& JsonWriter::Integer(int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value))
        return Null();
    BeforeValue();
    // The task files' own form: shortest, up to 15 digits; JSON wants "e".
    std::string text = TaskFileFormats::FormatNumber(value);
    for (char& c : text)
        if (c == 'E')
            c = 'e';
    out_ += text;
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}

} // namespace kelvo::cli
