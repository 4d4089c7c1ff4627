#pragma once

#include "app/Backup.h"
#include "app/Options.h"
#include "app/TaskRegistryHost.h"

#include <memory>
#include <string>
#include <vector>

namespace kelvo {

// The registry of all tasks: which task files are the user's (the project
// file), creating, importing, duplicating, editing and deleting tasks.
class TBackups {
public:
    // folder holds the project and counter files.
    TBackups(std::string folder, std::string logonUser, TaskEnvironment environment,
             TaskRegistryHost& host, TOptions* options = nullptr);
    // Entries refer to the registry's environment: it stays where it was made.
    TBackups(const TBackups&) = delete;
    TBackups& operator=(const TBackups&) = delete;

    void LoadProject(bool show);
    bool SaveProject();
    // Raises "Add backup exception!..." when the task cannot be created.
    TBackup* Add(const std::string& path);
    TBackup* AddAndShow(const std::string& path);
    TBackup* NewBackupTask();
    TBackup* NewSyncTask();
    TBackup* Import(const std::string& path);
    // Copies a task file from elsewhere into the tasks folder and registers it;
    // refused (raised) when a registered task has the same name.
    TBackup* ImportTaskFile(const std::string& path);
    TBackup* Duplicate(TBackup& entry);
    bool Delete(TBackup* entry);
    // Runs the editor on the entry; answers whether it ended with OK.
    bool EditProperties(TBackup& entry);

    const std::vector<std::unique_ptr<TBackup>>& Items() const { return FItems; }
    TBackup* Find(const std::string& name) const;

    std::string ProjectFileToRead() const;
    std::string PerUserProjectFile() const;
    std::string CounterFile() const;
    const TaskEnvironment& Environment() const { return environment_; }

private:
    TBackup* NewTask(bool synchronization);
    void KeepResidentForStartupRuns(const KBT& task);
    std::string ReadCounter() const;
    void WriteCounter(const std::string& used) const;

    std::string FFolder;
    std::string logonUser_;
    TaskEnvironment environment_;
    TaskRegistryHost& host_;
    TOptions* options_;
    std::vector<std::unique_ptr<TBackup>> FItems;
    std::string FProjectFile;
};

} // namespace kelvo
