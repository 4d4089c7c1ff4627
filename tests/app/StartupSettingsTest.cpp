#include "app/StartupSettings.h"
#include "platform/Environment.h"
#include "platform/posix/FileRegistryStore.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

class StartupSettingsTest : public ::testing::Test {
protected:
    FileRegistryStore registry{test::MakeTempFolder("hkcu"), test::MakeTempFolder("hklm")};

    void SetInstallPath(RegRoot root, const std::string& path) {
        ASSERT_TRUE(
            registry.WriteValueCreatingKey(root, kProductKey, RegValue::Text("InstallPath", path)));
    }
};

} // namespace

TEST_F(StartupSettingsTest, SwitchesAreFoundAnywhereInAnyCase) {
    struct Case {
        std::vector<std::string> args;
        bool uninstall, startup, logonStart;
    };
    const Case cases[] = {
        {{}, false, false, false},
        {{"/startup"}, false, true, true},
        {{"/STARTUP"}, false, true, false}, // the logon form is exact
        {{"x", "/StartUp"}, false, true, false},
        {{"/uninstall"}, true, false, false},
        {{"a", "/UnInstall", "/startup"}, true, true, false},
        {{"/startupx", "uninstall"}, false, false, false},
    };
    for (const Case& c : cases) {
        const CommandSwitches s = ScanSwitches(c.args);
        EXPECT_EQ(s.Uninstall, c.uninstall);
        EXPECT_EQ(s.Startup, c.startup);
        EXPECT_EQ(s.LogonStart, c.logonStart);
    }
}

TEST_F(StartupSettingsTest, InstallPathComesFromTheFirstSourceThatNamesAFolder) {
    const std::string home = test::MakeTempFolder("home");
    const std::string userPath = test::MakeTempFolder("user");
    const std::string machinePath = test::MakeTempFolder("machine");
    {
        test::ScopedEnv env("KELVOBACKUP_HOME", home);
        SetInstallPath(RegRoot::CurrentUser, userPath);
        EXPECT_EQ(ResolveInstallPath(registry), home + "/");
    }
    test::ScopedEnv unset("KELVOBACKUP_HOME", "");
    EXPECT_EQ(ResolveInstallPath(registry), userPath + "/");
    SetInstallPath(RegRoot::CurrentUser, userPath + "/gone");
    SetInstallPath(RegRoot::LocalMachine, machinePath);
    EXPECT_EQ(ResolveInstallPath(registry), machinePath + "/");
    SetInstallPath(RegRoot::LocalMachine, machinePath + "/gone");
    EXPECT_EQ(ResolveInstallPath(registry), ExecutableFolder()); // the test's folder is writable
}

TEST_F(StartupSettingsTest, FoldersAreBuiltAndTheTemplateNeverOverwritten) {
    StartupSettings settings;
    settings.InstallPath = test::MakeTempFolder("install") + "/";
    test::WriteFile(settings.InstallPath + "default.kbt", "template");
    PrepareFolders(settings);
    EXPECT_EQ(settings.TasksFolder, settings.InstallPath + "Tasks/");
    EXPECT_EQ(settings.BackupFolder, settings.InstallPath + "Backup");
    EXPECT_TRUE(IsFolder(settings.BackupFolder));
    EXPECT_EQ(test::ReadFile(settings.TasksFolder + "default.kbt"), "template");

    test::WriteFile(settings.TasksFolder + "default.kbt", "edited by the user");
    PrepareFolders(settings);
    EXPECT_EQ(test::ReadFile(settings.TasksFolder + "default.kbt"), "edited by the user");
    EXPECT_EQ(test::ListFolder(settings.TasksFolder), std::vector<std::string>{"default.kbt"});
}

TEST_F(StartupSettingsTest, MissingTemplateIsIgnored) {
    StartupSettings settings;
    settings.InstallPath = test::MakeTempFolder("install") + "/";
    PrepareFolders(settings);
    EXPECT_TRUE(IsFolder(settings.TasksFolder));
    EXPECT_TRUE(test::ListFolder(settings.TasksFolder).empty());
}

TEST_F(StartupSettingsTest, LanguageComesFromTheUserKey) {
    EXPECT_EQ(ReadLanguageId(registry), 1033);
    EXPECT_TRUE(registry.KeyExists(RegRoot::CurrentUser, kProductKey)); // created when missing
    ASSERT_TRUE(
        registry.SetValue(RegRoot::CurrentUser, kProductKey, RegValue::DWord("Language", 0x407)));
    EXPECT_EQ(ReadLanguageId(registry), 1031);
    ASSERT_TRUE(
        registry.SetValue(RegRoot::CurrentUser, kProductKey, RegValue::Text("Language", "German")));
    EXPECT_EQ(ReadLanguageId(registry), 1033);
}

TEST_F(StartupSettingsTest, LogonUserIsTheAccountName) {
    const std::string user = ResolveLogonUser();
    ASSERT_TRUE(LogonUserName());
    EXPECT_EQ(user, *LogonUserName());
}

TEST_F(StartupSettingsTest, EstablishMakesTheInstallFolderCurrent) {
    const std::string home = test::MakeTempFolder("home");
    test::ScopedEnv env("KELVOBACKUP_HOME", home);
    const StartupSettings settings = StartupSettings::Establish({"/STARTUP"}, registry);
    EXPECT_TRUE(settings.Switches.Startup);
    EXPECT_EQ(settings.InstallPath, home + "/");
    char cwd[4096];
    ASSERT_TRUE(::getcwd(cwd, sizeof cwd));
    EXPECT_EQ(std::string(cwd) + "/", settings.InstallPath);
    EXPECT_TRUE(IsFolder(home + "/Tasks"));
}
