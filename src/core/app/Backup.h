#pragma once

#include "app/Clock.h"
#include "engine/BO.h"
#include "log/Debug.h"
#include "task/KBT.h"

#include <memory>
#include <string>

namespace kelvo {

// What every task of the registry is created with.
struct TaskEnvironment {
    std::string TasksFolder; // with a trailing "/"
    LogLimit Limit;
    const Clock* TimeSource = &SystemClock();
};

// One entry of the task registry: the task and its operation object.
class TBackup {
public:
    // Loads TasksFolder + name + ".kbt" and gives the task a fresh TaskGUID.
    TBackup(std::string folder, std::string name, const TaskEnvironment& environment);
    TBackup(const TBackup&) = delete;
    TBackup& operator=(const TBackup&) = delete;

    KBT& Task() { return *FTask; }
    const KBT& Task() const { return *FTask; }
    TBO& Engine() { return *FEngine; }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    const std::string& Folder() const { return FFolder; }

    // Frees the task and its operation object and creates them anew from the
    // task file, which keeps the TaskGUID stored there.
    void Reload();

private:
    std::string FFolder;
    std::string FName;
    const TaskEnvironment& environment_;
    std::unique_ptr<KBT> FTask;
    std::unique_ptr<TBO> FEngine;
};

} // namespace kelvo
