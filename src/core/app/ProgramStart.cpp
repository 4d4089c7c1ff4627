#include "app/ProgramStart.h"

#include "app/StartupSettings.h"

namespace kelvo {

std::optional<int> BeginResidentProgram(const std::vector<std::string>& arguments,
                                        SessionGuard& guard, TOSInfoClass& os) {
    const bool resident = guard.TryBecomeResident();
    if (ScanSwitches(arguments).Uninstall)
        os.KillProcessByName(kResidentExecutable, kCommandLineExecutable);
    if (!resident) {
        guard.WakeResident();
        return 0;
    }
    return std::nullopt;
}

} // namespace kelvo
