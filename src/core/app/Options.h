#pragma once

#include "platform/AutostartEntry.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace kelvo {

struct UselessFile {
    std::string Mask;
    std::string Description;
    bool operator==(const UselessFile&) const = default;
};

// The program-wide settings, read from the per-user INI file once and written
// back on request.
class TOptions {
public:
    // Loads from folder (the installation folder); the logon entry is written
    // for residentExecutable (default: the program beside this executable).
    TOptions(std::string folder, std::string logonUser, AutostartEntry& autostart,
             std::string residentExecutable = {});

    bool viewLog = false;
    bool localFilesPanel = true; // not stored
    int64_t backupIndex = 0;
    int64_t WaitXMinutes = 0;
    std::string TemporaryPath;
    std::string LastLocalFolder;
    std::string Password;
    std::string PasswordHint;
    std::string DefaultIcon = "default.ico";
    bool WindowsStartup = true;
    bool Associate = false;
    bool Minimize = false;
    bool ShowTimeStamp = false;
    bool LimitLog = false;
    int64_t LimitLogSize = 5; // kilobytes
    std::string ErrorSound = "werror.wav";
    std::string WarningSound = "wwarning.wav";
    std::string SummarySound = "wsummary.wav";
    std::string SMTPServer;
    int64_t SMTPPort = 25;
    std::string FromEmail = "reports@kelvobackup.example";
    std::string FromName = "Kelvo Backup Reports";
    std::vector<UselessFile> UselessFiles;
    std::string OptionsFolder;

    void Load();
    bool Save();
    bool SetRunAtLogon(bool on);
    // The folder for temporary files, with a trailing "/".
    std::string GetTemporaryFolder() const;

    std::string PerUserFileName() const; // LogonUser + "_KelvoBackup.ini"
    std::string SharedFileName() const;  // "KelvoBackup.ini"
    // The file Load reads: the per-user one when it exists, else the shared one.
    std::string FileToRead() const;

    // One stored key: where it lives in the file and which field holds it.
    struct Field {
        const char* Section;
        const char* Key;
        std::variant<bool TOptions::*, int64_t TOptions::*, std::string TOptions::*> Member;
    };
    // Every stored key in the order Save writes them.
    static const std::vector<Field>& Fields();

private:
    struct DefaultsOnly {};
    TOptions(DefaultsOnly, AutostartEntry& autostart); // the table's defaults, nothing loaded
    void LoadUselessFiles();

    std::string logonUser_;
    AutostartEntry& autostart_;
    std::string residentExecutable_;
};

// Reads museless.txt lines: mask, "|", description, "|", ignored fields.
std::vector<UselessFile> ParseUselessFiles(std::string_view text);

} // namespace kelvo
