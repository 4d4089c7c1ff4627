#pragma once

#include "platform/SessionControl.h"

#include <string>

namespace kelvo {

// systemd-logind: TerminateSession for our session, PowerOff without
// interaction. On the system bus, or on the bus at busAddress when one is
// given (tests use a private bus with a fake logind).
class LogindSessionControl : public SessionControl {
public:
    explicit LogindSessionControl(std::string busAddress = {});
    bool LogOff() override;
    bool PowerOff() override;

private:
    std::string busAddress_;
};

} // namespace kelvo
