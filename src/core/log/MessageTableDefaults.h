#pragma once

#include <vector>

namespace kelvo {

// Blanks an accessor adds around the table text; callers rely on them when they
// concatenate messages with names and numbers.
enum class Decoration { None, Before, After, Both, TwoAfter };

struct MessageDefault {
    const char* key;
    const char* text;
    Decoration decoration;
    bool builtInOnly; // not replaceable by a translation
};

const std::vector<MessageDefault>& MessageDefaults();

} // namespace kelvo
