#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes a temporary file beside the target, flushes it to disk and renames it
// over the target, so a crash or a full disk never leaves a half-written file
// where a good one was. The temporary file is removed on failure.
bool WriteFileAtomically(const std::string& path, std::string_view data);

} // namespace kelvo
