#pragma once

#include "files/Stream.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kelvo {

constexpr size_t kCopyChunk = 131072;

// Creates the folder and every missing folder above it; false when one
// cannot be created.
bool MakeFolders(const std::string& path);
// Deletes the folder with everything below it: files first, then the
// subfolders depth-first, then the folder. False when something stayed.
bool RemoveTree(const std::string& path);

enum class CopyResult { Done, CannotCreate, WriteFailed, ReadFailed };

// Copies the stream from its start into a temporary file beside target in
// chunks of kCopyChunk bytes, calling chunk after each, and renames it into
// place when complete; on failure the temporary file is removed and an
// earlier target stays as it was.
CopyResult CopyToFile(TStream& stream, const std::string& target,
                      const std::function<void(size_t bytes)>& chunk);

} // namespace kelvo
