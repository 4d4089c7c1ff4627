#include "task/TaskName.h"

#include <cstdio>
#include <random>
#include <stdexcept>

namespace kelvo {

void ValidateTaskName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos ||
        name.find('\0') != std::string::npos)
        throw std::runtime_error("The task name \"" + name +
                                 "\" cannot be used: a task name may not be empty, contain "
                                 "\"/\" or be \".\" or \"..\".");
}

std::string NewGuidText() {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const uint64_t high = random(), low = random();
    // Version 4 (random), variant 1.
    const uint64_t h = (high & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
    const uint64_t l = (low & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull;
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%012llX}",
                  static_cast<unsigned>(h >> 32), static_cast<unsigned>((h >> 16) & 0xFFFF),
                  static_cast<unsigned>(h & 0xFFFF), static_cast<unsigned>(l >> 48),
                  static_cast<unsigned long long>(l & 0xFFFFFFFFFFFFull));
    return text;
}

} // namespace kelvo
