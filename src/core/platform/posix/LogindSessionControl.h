#pragma once

#include "platform/SessionControl.h"

namespace kelvo {

// systemd-logind on the system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured):
// TerminateSession for our session, PowerOff without interaction.
class LogindSessionControl : public SessionControl {
public:
    bool LogOff() override;
    bool PowerOff() override;
};

} // namespace kelvo
