#pragma once

namespace kelvo {

// Ending the user's session or switching the machine off. The real one does
// nothing at all while KELVOBACKUP_NO_POWER is set, as every test run sets it.
class SessionControl {
public:
    virtual ~SessionControl() = default;
    virtual bool LogOff() = 0;
    virtual bool PowerOff() = 0;
};

SessionControl& TheSessionControl();

// True while the environment forbids logging off and powering off.
bool PowerActionsDisabled();

} // namespace kelvo
