#pragma once

#include "app/Clock.h"
#include "log/Debug.h"
#include "task/FTPNodeObject.h"
#include "task/TmDestination.h"
#include "task/TmGeneral.h"
#include "task/TmSource.h"
#include "task/XMLParser.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvo {

class EndpointHost;

// One task in memory: its general settings, its sources and its destination,
// loaded from and saved to its task file in the tasks folder.
class KBT {
public:
    // Creates the task with every default and the given name, then loads
    // "<tasksFolder><name>.kbt"; a missing or unreadable file keeps the defaults.
    KBT(std::string tasksFolder, std::string name, LogLimit logLimit = {},
        const Clock& clock = SystemClock());

    TmGeneral FGeneral;
    TmSource FSource;
    TmDestination FDestination;
    // The run the task is in, for its endpoints; none between runs.
    EndpointHost* RunHost = nullptr;
    bool FSourceScanned = false;
    bool FDestinationScanned = false;

    const std::string& Folder() const { return FFolder; }
    // The task file of the current name.
    std::string FileName() const { return FFolder + FGeneral.Name + ".kbt"; }
    TDebug& Log() { return *FLog; }

    // Writes the task file; forceScheduler stores EnabledScheduler as true.
    // Answers whether the file was written.
    bool Save(bool forceScheduler);
    // Reads the task file of the current name into this task.
    void Load();

    // The FTP_SOURCE element of the last load or save, if any.
    const TXMLNode* FtpSnapshot() const { return FFtpSnapshot.get(); }
    const TXMLNode* FindSnapshotFolder(const std::string& path) const;
    void ListSnapshotFolder(const std::string& path, std::vector<TFTPNodeObject>& entries) const;
    int64_t SnapshotSize(const std::string& path,
                         const std::function<bool(const std::string& name)>& passes) const;

private:
    std::string FFolder;
    std::unique_ptr<TDebug> FLog;
    TXMLNodePtr FFtpSnapshot;
    const Clock& clock_;
};

} // namespace kelvo
