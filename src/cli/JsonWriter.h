#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo::cli {

// Writes indented JSON; the caller opens and closes objects and arrays in order.
class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view text);
    JsonWriter& Integer(int64_t value);
    JsonWriter& Number(double value);
    JsonWriter& Bool(bool value);
    JsonWriter& Null();
    // The document written so far, with a final line end.
    std::string Text() const { return out_ + "\n"; }

private:
    void BeforeValue();
    void Close(char bracket);

    std::string out_;
    std::vector<bool> hasItems_; // per open level
    bool afterKey_ = false;
};

} // namespace kelvo::cli
