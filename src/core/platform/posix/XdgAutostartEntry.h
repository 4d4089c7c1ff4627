#pragma once

#include "platform/AutostartEntry.h"

namespace kelvo {

// $XDG_CONFIG_HOME/autostart/kelvobackup.desktop, or the file given (an empty
// name follows the environment at each call).
class XdgAutostartEntry : public AutostartEntry {
public:
    explicit XdgAutostartEntry(std::string file);
    bool Register(const std::string& executablePath) override;
    bool Unregister() override;
    bool IsRegistered() override;
    std::string Command() override;

    static std::string DefaultFile();
    // The Exec value for a path: quoted, with the desktop-entry escapes.
    static std::string ExecValue(const std::string& executablePath);

private:
    std::string File() const;
    std::string file_;
};

} // namespace kelvo
