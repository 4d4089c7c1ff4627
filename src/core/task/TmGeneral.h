#pragma once

#include "app/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelvo {

// A task's identity, history mode, schedule and events, with the defaults of
// a new task. Fields carry the names of their task-file elements; attributes
// are named element + attribute ("OnError-show" "play" is OnErrorPlay).
struct TmGeneral {
    int64_t Type = 1; // 0 backup, 1 synchronization
    std::string Priority = "Normal";
    bool Enabled = true;
    int64_t bCount = 0;
    int64_t rCount = 0;
    std::string folder; // the tasks folder; not stored
    std::string Name = "default";
    std::string ArchiveFolderName = "default";
    std::string Description;
    std::string Email;
    TDateTime CreateDate = 0;
    std::string LastRunTime;
    std::string NextRunTime;
    std::string status; // result of the last run; not stored
    std::string SetCollision = "replace";
    int64_t purge = 3;
    std::vector<std::string> legacyStacks; // "stack" children of old files; never written
    std::string ItemCollision = "full";
    std::string SyncType;
    std::string SyncCollision;
    std::string StartRunPath;
    bool StartRunWait = false;
    std::string EndRunPath;
    bool EndRunWait = false;
    std::string OnErrorShow;
    bool OnErrorPlay = false, OnErrorEmail = false;
    std::string OnWarningShow;
    bool OnWarningPlay = false, OnWarningEmail = false;
    bool ShutDown = false;
    bool LogOff = false;
    std::string OnSummaryShow;
    bool OnSummaryPlay = false, OnSummaryEmail = false;
    bool SNotScheduled = true;
    std::string SOneTimeRun;
    TDateTime SOneTimeRunDate = 0; // whole days
    TDateTime SOneTimeRunTime = 0; // fraction of a day
    bool SWindowsStartup = false;
    bool SWindowsShutDown = false;
    bool SFolderChange = false;
    bool SDays = false;
    int64_t SDays_days = 0;
    int64_t SDays_when = 0; // 0 at start-up, 1 at shut-down, 2 at SDays_hour
    TDateTime SDays_hour = 0;
    bool SWeeks = false;
    int64_t SWeeks_days = 0; // week days as digits, 1 Monday to 7 Sunday
    int64_t SWeeks_when = 0;
    TDateTime SWeeks_hour = 0;
    int64_t SWork_days = 0;
    bool SRunMissed = false;
    bool WorkingNow = false; // always stored as false
    bool FormatDisk = false;
    bool Split = false;
    int64_t MaxVolum = 0;
    bool Complementary = false;
    bool EraseCD = false;
    bool QuickErase = true;
    bool EnabledScheduler = true;
    std::string KBT_Version = "1.0.1";
    std::string TaskGUID;
};

} // namespace kelvo
