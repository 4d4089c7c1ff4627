#pragma once

namespace kelvo {

class TBackup;

// A task's operation object: it runs the task's backups, restores and
// synchronizations on the task's worker thread. Owned by the task's registry
// entry; the runs themselves come with the engine.
class TBO {
public:
    explicit TBO(TBackup& owner) : FBackup(owner) {}
    TBO(const TBO&) = delete;
    TBO& operator=(const TBO&) = delete;

    TBackup& FBackup;
};

} // namespace kelvo
