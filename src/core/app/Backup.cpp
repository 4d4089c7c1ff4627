#include "app/Backup.h"

#include "task/TaskName.h"

namespace kelvo {

TBackup::TBackup(std::string folder, std::string name, const TaskEnvironment& environment)
    : FFolder(folder.empty() ? environment.TasksFolder : std::move(folder)), FName(std::move(name)),
      environment_(environment) {
    Reload();
    FTask->FGeneral.TaskGUID = NewGuidText();
}

void TBackup::Reload() {
    FEngine.reset();
    FTask.reset();
    FTask = std::make_unique<KBT>(environment_.TasksFolder, FName, environment_.Limit,
                                  *environment_.TimeSource);
    FEngine = std::make_unique<TBO>(*this);
}

} // namespace kelvo
