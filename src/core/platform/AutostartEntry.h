#pragma once

#include <string>

namespace kelvo {

// The entry that starts the program when the user logs on: on this desktop an
// XDG autostart file whose command is the quoted executable and " /startup".
class AutostartEntry {
public:
    virtual ~AutostartEntry() = default;
    virtual bool Register(const std::string& executablePath) = 0;
    virtual bool Unregister() = 0;
    virtual bool IsRegistered() = 0;
    // The command line the entry runs; empty when there is none.
    virtual std::string Command() = 0;
};

AutostartEntry& TheAutostartEntry();

} // namespace kelvo
