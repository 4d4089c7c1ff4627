#include "app/Options.h"

#include "app/IniFile.h"
#include "app/ProgramStart.h"
#include "log/MessageTable.h"
#include "platform/Environment.h"
#include "platform/FileIO.h"

namespace kelvo {

namespace {

constexpr const char* kMain = "MAIN";
constexpr const char* kGeneral = "GENERAL";
constexpr const char* kLog = "LOG";
constexpr const char* kMail = "e-mail Notification";

std::string IniBaseName() {
    std::string name = Msg("KELVOBACKUP_NAME");
    const size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ".ini";
}

} // namespace

const std::vector<TOptions::Field>& TOptions::Fields() {
    static const std::vector<Field> fields = {
        {kMain, "viewLog", &TOptions::viewLog},
        {kMain, "backupIndex", &TOptions::backupIndex},
        {kMain, "WaitXMinutes", &TOptions::WaitXMinutes},
        {kMain, "TemporaryPath", &TOptions::TemporaryPath},
        {kMain, "LastLocalFolder", &TOptions::LastLocalFolder},
        {kGeneral, "Password", &TOptions::Password},
        {kGeneral, "PasswordHint", &TOptions::PasswordHint},
        {kGeneral, "DefaultIcon", &TOptions::DefaultIcon},
        {kGeneral, "WindowsStartup", &TOptions::WindowsStartup},
        {kGeneral, "Associate", &TOptions::Associate},
        {kGeneral, "Minimize", &TOptions::Minimize},
        {kLog, "ShowTimeStamp", &TOptions::ShowTimeStamp},
        {kLog, "LimitLog", &TOptions::LimitLog},
        {kLog, "LimitLogSize", &TOptions::LimitLogSize},
        {kMail, "SMTPServer", &TOptions::SMTPServer},
        {kMail, "SMTPPort", &TOptions::SMTPPort},
        {kMail, "FromEmail", &TOptions::FromEmail},
        {kMail, "FromName", &TOptions::FromName},
    };
    return fields;
}

TOptions::TOptions(std::string folder, std::string logonUser, AutostartEntry& autostart,
                   std::string residentExecutable)
    : OptionsFolder(WithTrailingSlash(std::move(folder))), logonUser_(std::move(logonUser)),
      autostart_(autostart), residentExecutable_(std::move(residentExecutable)) {
    if (residentExecutable_.empty())
        residentExecutable_ = ExecutableFolder() + kResidentExecutable;
    Load();
}

TOptions::TOptions(DefaultsOnly, AutostartEntry& autostart) : autostart_(autostart) {}

std::string TOptions::PerUserFileName() const {
    return OptionsFolder + logonUser_ + "_" + IniBaseName();
}

std::string TOptions::SharedFileName() const {
    return OptionsFolder + IniBaseName();
}

std::string TOptions::FileToRead() const {
    return IsFile(PerUserFileName()) ? PerUserFileName() : SharedFileName();
}

void TOptions::Load() {
    IniFile ini;
    ini.LoadFromFile(FileToRead());
    static const TOptions defaults(DefaultsOnly{}, autostart_);
    for (const Field& field : Fields()) {
        std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(this->*member)>;
                if constexpr (std::is_same_v<T, bool>)
                    this->*member = ini.ReadBool(field.Section, field.Key, defaults.*member);
                else if constexpr (std::is_same_v<T, int64_t>)
                    this->*member = ini.ReadInteger(field.Section, field.Key, defaults.*member);
                else
                    this->*member = ini.ReadString(field.Section, field.Key, defaults.*member);
            },
            field.Member);
    }
    LoadUselessFiles();
}

bool TOptions::Save() {
    // Keep what else the per-user file holds; a new one starts empty.
    IniFile ini;
    ini.LoadFromFile(PerUserFileName());
    for (const Field& field : Fields()) {
        std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(this->*member)>;
                if constexpr (std::is_same_v<T, bool>)
                    ini.WriteBool(field.Section, field.Key, this->*member);
                else if constexpr (std::is_same_v<T, int64_t>)
                    ini.WriteInteger(field.Section, field.Key, this->*member);
                else
                    ini.Write(field.Section, field.Key, this->*member);
            },
            field.Member);
        if (std::string_view(field.Key) == "WindowsStartup")
            SetRunAtLogon(WindowsStartup);
    }
    return ini.SaveToFile(PerUserFileName());
}

bool TOptions::SetRunAtLogon(bool on) {
    return on ? autostart_.Register(residentExecutable_) : autostart_.Unregister();
}

std::string TOptions::GetTemporaryFolder() const {
    if (!TemporaryPath.empty() && CreateFolders(TemporaryPath))
        return WithTrailingSlash(TemporaryPath);
    const std::string system = WithTrailingSlash(SystemTempFolder()) + "backuptemp/";
    if (CreateFolders(system))
        return system;
    return ExecutableFolder();
}

void TOptions::LoadUselessFiles() {
    auto text = ReadWholeFile(OptionsFolder + "museless.txt");
    UselessFiles = text ? ParseUselessFiles(*text) : std::vector<UselessFile>{};
}

std::vector<UselessFile> ParseUselessFiles(std::string_view text) {
    std::vector<UselessFile> entries;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        const size_t bar = line.find('|');
        UselessFile entry{std::string(line.substr(0, bar)), {}};
        if (bar != std::string_view::npos) {
            const size_t second = line.find('|', bar + 1);
            entry.Description = std::string(
                line.substr(bar + 1, second == std::string_view::npos ? second : second - bar - 1));
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace kelvo
