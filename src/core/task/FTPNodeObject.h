#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <string>

namespace kelvo {

// One entry of the FTP snapshot of a task's sources.
struct TFTPNodeObject {
    std::string name;
    std::string path;
    int64_t size = 0;
    TDateTime date = 0;
    bool folder = false;
    bool operator==(const TFTPNodeObject&) const = default;
};

} // namespace kelvo
