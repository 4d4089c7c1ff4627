#include "TaskRegistryLoader.h"

#include "app/StartupSettings.h"
#include "platform/AutostartEntry.h"

namespace kelvo::cli {

LoadedRegistry::LoadedRegistry()
    : options(CurrentStartup().InstallPath, CurrentStartup().LogonUser, TheAutostartEntry()) {
    const StartupSettings& startup = CurrentStartup();
    TaskEnvironment environment{startup.TasksFolder, {options.LimitLog, options.LimitLogSize}};
    backups = std::make_unique<TBackups>(startup.InstallPath, startup.LogonUser, environment, host,
                                         &options);
    backups->LoadProject(false);
}

} // namespace kelvo::cli
