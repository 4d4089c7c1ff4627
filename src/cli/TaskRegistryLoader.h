#pragma once

#include "app/Backups.h"
#include "app/Options.h"

#include <memory>

namespace kelvo::cli {

// The options and the task registry of the installation, loaded as the
// program loads them at start. No window shows anything.
struct LoadedRegistry {
    LoadedRegistry();
    TaskRegistryHost host;
    TOptions options;
    std::unique_ptr<TBackups> backups;
};

} // namespace kelvo::cli
