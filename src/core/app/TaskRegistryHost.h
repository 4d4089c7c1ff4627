#pragma once

#include <string>

namespace kelvo {

class TBackup;

// What the task editor is asked for.
struct TaskEditRequest {
    enum class Mode { Wizard, Edit };
    Mode EditMode = Mode::Edit;
    bool Synchronization = false;
    bool NoCompression = false; // the wizard starts with "No compression" chosen
};

// The task registry's side of the user interface and of the parts that follow
// a change of tasks. The GUI implements it; the command line and tests use
// these defaults or record the calls.
class TaskRegistryHost {
public:
    virtual ~TaskRegistryHost() = default;
    // A row for the entry in the task list, selected and focused.
    virtual void ShowEntry(TBackup&) {}
    virtual void RemoveEntry(TBackup&) {}
    // Opens the task's editor and waits for it; true when it ended with OK.
    // The editor writes its settings into the entry's task.
    virtual bool EditTask(TBackup&, const TaskEditRequest&) { return false; }
    // The schedule was saved from the editor (or, after a run, recomputed).
    virtual void ScheduleSaved(TBackup&, bool /*fromEditor*/) {}
    // Tasks that run at logon may have changed: apply the logon-entry rule.
    virtual void StartupTasksChanged() {}
    // Tasks triggered by folder changes may have changed.
    virtual void FolderMonitorsChanged() {}
    // The backup-contents view shows nothing until it is filled again.
    virtual void ContentsCleared() {}
};

} // namespace kelvo
