#include "app/StartupSettings.h"

#include "log/MessageTable.h"
#include "platform/Environment.h"

#include <algorithm>
#include <cctype>

namespace kelvo {

namespace {

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

constexpr size_t kLogonNameBuffer = 100; // characters asked for, terminator included

} // namespace

CommandSwitches ScanSwitches(const std::vector<std::string>& arguments) {
    CommandSwitches switches;
    const std::string uninstall = Msg("PARAM_UNINSTALL");
    const std::string startup = Msg("PARAM_STARTUP");
    for (const std::string& argument : arguments) {
        const std::string upper = UpperCase(argument);
        switches.Uninstall = switches.Uninstall || upper == uninstall;
        switches.Startup = switches.Startup || upper == startup;
    }
    switches.LogonStart = !arguments.empty() && arguments.front() == "/startup";
    return switches;
}

std::string ResolveLogonUser() {
    auto name = LogonUserName();
    if (!name || name->size() >= kLogonNameBuffer)
        return "_";
    return *name;
}

std::string ResolveInstallPath(RegistryStore& registry) {
    const std::string home = EnvironmentValue("KELVOBACKUP_HOME");
    if (!home.empty())
        return WithTrailingSlash(home);
    for (RegRoot root : {RegRoot::CurrentUser, RegRoot::LocalMachine}) {
        auto path = registry.ReadText(root, kProductKey, "InstallPath");
        if (path && IsFolder(*path))
            return WithTrailingSlash(*path);
    }
    const std::string executable = ExecutableFolder();
    if (IsWritableFolder(executable))
        return executable;
    const std::string data = XdgDataHome() + "/KelvoBackup";
    CreateFolders(data);
    return WithTrailingSlash(data);
}

int ReadLanguageId(RegistryStore& registry) {
    if (!registry.KeyExists(RegRoot::CurrentUser, kProductKey))
        registry.CreateKey(RegRoot::CurrentUser, kProductKey);
    auto value = registry.ReadInteger(RegRoot::CurrentUser, kProductKey, "Language");
    return value ? static_cast<int>(*value) : MessageTable::kDefaultLanguage;
}

void PrepareFolders(StartupSettings& settings) {
    settings.TasksFolder = settings.InstallPath + "Tasks/";
    settings.BackupFolder = settings.InstallPath + "Backup";
    const std::string target = settings.TasksFolder + "default.kbt";
    if (CreateFolders(settings.TasksFolder) && !IsFile(target)) {
        // The data folder's own template, else the one installed beside the program.
        const std::string own = settings.InstallPath + "default.kbt";
        CopyFileIfMissing(IsFile(own) ? own : ExecutableFolder() + "default.kbt", target);
    }
    CreateFolders(settings.BackupFolder);
}

StartupSettings StartupSettings::Establish(const std::vector<std::string>& arguments,
                                           RegistryStore& registry) {
    StartupSettings settings;
    settings.Switches = ScanSwitches(arguments);
    settings.LanguageId = ReadLanguageId(registry);
    settings.LogonUser = ResolveLogonUser();
    settings.InstallPath = ResolveInstallPath(registry);
    SetCurrentFolder(settings.InstallPath);
    PrepareFolders(settings);
    MessageTable::Instance().SetLanguage(settings.LanguageId, settings.InstallPath + "lang");
    return settings;
}

StartupSettings& CurrentStartup() {
    static StartupSettings settings;
    return settings;
}

} // namespace kelvo
