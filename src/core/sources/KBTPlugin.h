#pragma once

#include <string>
#include <vector>

namespace kelvo {

// One application-settings plug-in chosen for a task: the plug-in's
// identifier and the file entries and identities the user selected.
struct TKBTPlugin {
    struct Identity {
        std::string Value;
        std::string IdentName; // display name
        bool operator==(const Identity&) const = default;
    };
    std::string Guid;
    std::vector<std::string> Files;
    std::vector<Identity> Idents;
    bool operator==(const TKBTPlugin&) const = default;
};

using TKBTPluginsCollection = std::vector<TKBTPlugin>;

} // namespace kelvo
