#include "task/KBT.h"

#include "log/MessageTable.h"
#include "platform/Environment.h"
#include "task/FtpSnapshot.h"
#include "task/TaskFile.h"
#include "task/TaskName.h"

namespace kelvo {

KBT::KBT(std::string tasksFolder, std::string name, LogLimit logLimit, const Clock& clock)
    : FFolder(WithTrailingSlash(std::move(tasksFolder))), clock_(clock) {
    FGeneral.Name = std::move(name);
    FGeneral.folder = FFolder;
    FLog =
        std::make_unique<TDebug>(FGeneral.Name, FFolder + FGeneral.Name + ".log", logLimit, clock_);
    Load();
    try {
        FLog->AddEntry(1, kLogInfo, Msg("_LoadBackup"));
    } catch (const std::exception&) {
        // A log that cannot be written does not stop a task from loading.
    }
}

void KBT::Load() {
    const std::string requested = FGeneral.Name;
    FFtpSnapshot = TaskFile::Read(FileName(), *this);
    // The stored name names the task file from now on: it must stay in the folder.
    try {
        ValidateTaskName(FGeneral.Name);
    } catch (const std::exception&) {
        FGeneral.Name = requested;
    }
}

bool KBT::Save(bool forceScheduler) {
    TXMLNodePtr snapshot;
    TXMLParser parser = TaskFile::Build(*this, forceScheduler, clock_.Now(), snapshot);
    if (!parser.SaveToFile())
        return false;
    if (snapshot)
        FFtpSnapshot = snapshot;
    return true;
}

const TXMLNode* KBT::FindSnapshotFolder(const std::string& path) const {
    return FtpSnapshot::FindFolder(FFtpSnapshot.get(), path);
}

void KBT::ListSnapshotFolder(const std::string& path, std::vector<TFTPNodeObject>& entries) const {
    FtpSnapshot::ListFolder(FFtpSnapshot.get(), path, entries);
}

int64_t KBT::SnapshotSize(const std::string& path,
                          const std::function<bool(const std::string& name)>& passes) const {
    return FtpSnapshot::SizeBelow(FFtpSnapshot.get(), path, passes);
}

} // namespace kelvo
