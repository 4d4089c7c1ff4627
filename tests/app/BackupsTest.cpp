#include "app/Backups.h"
#include "platform/AutostartEntry.h"
#include "platform/Environment.h"
#include "support/TestEnvironment.h"

#include <functional>
#include <gtest/gtest.h>

using namespace kelvo;

namespace {

// Records what the registry asks of the user interface; its editor is a
// function the test sets.
class RecordingHost : public TaskRegistryHost {
public:
    void ShowEntry(TBackup& entry) override { calls.push_back("show " + entry.Name()); }
    void RemoveEntry(TBackup& entry) override { calls.push_back("remove " + entry.Name()); }
    bool EditTask(TBackup& entry, const TaskEditRequest& request) override {
        requests.push_back(request);
        return editor ? editor(entry.Task()) : false;
    }
    void ScheduleSaved(TBackup&, bool fromEditor) override {
        calls.push_back(fromEditor ? "schedule from editor" : "schedule");
    }
    void StartupTasksChanged() override { calls.push_back("logon rule"); }
    std::function<bool(KBT&)> editor;
    std::vector<std::string> calls;
    std::vector<TaskEditRequest> requests;
};

class BackupsTest : public ::testing::Test {
protected:
    std::string home = test::MakeTempFolder("install") + "/";
    std::string tasks = home + "Tasks/";
    RecordingHost host;

    void SetUp() override { CreateFolders(tasks); }

    std::unique_ptr<TBackups> Registry() {
        return std::make_unique<TBackups>(home, "ann", TaskEnvironment{tasks, {}}, host);
    }
    // A saved task with the given name and destination folder.
    void MakeTask(const std::string& name, const std::string& destination = "/backups") {
        KBT task(tasks, name);
        task.FGeneral.Type = 0;
        task.FDestination.Folder.SetPath(destination);
        ASSERT_TRUE(task.Save(false));
    }
    void Project(const std::string& file, const std::vector<std::string>& names) {
        std::string text = "<XML><backups>";
        for (const std::string& name : names)
            text += "<Backup>" + tasks + name + ".kbt</Backup>";
        test::WriteFile(home + file, text + "<backup>ignored</backup></backups></XML>");
    }
};

std::vector<std::string> Names(const TBackups& registry) {
    std::vector<std::string> names;
    for (const auto& entry : registry.Items())
        names.push_back(entry->Task().FGeneral.Name);
    return names;
}

} // namespace

TEST_F(BackupsTest, TheSharedProjectFileIsReadUntilThePerUserOneIsWritten) {
    MakeTask("Docs");
    MakeTask("Mail");
    Project("KelvoBackup.prj", {"Docs", "Vanished", "Mail"});
    auto registry = Registry();
    registry->LoadProject(true);
    EXPECT_EQ(Names(*registry),
              (std::vector<std::string>{"Docs", "Mail"})); // a missing file is skipped
    EXPECT_EQ(host.calls, (std::vector<std::string>{"show Docs", "show Mail"}));
    ASSERT_TRUE(registry->SaveProject());
    const std::string saved = test::ReadFile(home + "ann_KelvoBackup.prj");
    EXPECT_NE(saved.find("<Backup>" + tasks + "Docs.kbt</Backup>"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("Vanished"), std::string::npos);

    Project("KelvoBackup.prj", {"Docs"});
    auto later = Registry();
    later->LoadProject(false);
    EXPECT_EQ(Names(*later), (std::vector<std::string>{"Docs", "Mail"}));
}

TEST_F(BackupsTest, EveryEntryGetsAFreshGuidAndAReloadKeepsTheStoredOne) {
    MakeTask("Docs");
    Project("ann_KelvoBackup.prj", {"Docs"});
    auto first = Registry();
    first->LoadProject(false);
    auto second = Registry();
    second->LoadProject(false);
    const std::string guid = first->Items()[0]->Task().FGeneral.TaskGUID;
    EXPECT_EQ(guid.size(), 38u);
    EXPECT_NE(guid, second->Items()[0]->Task().FGeneral.TaskGUID);
    ASSERT_TRUE(first->Items()[0]->Task().Save(false));
    first->Items()[0]->Reload();
    EXPECT_EQ(first->Items()[0]->Task().FGeneral.TaskGUID, guid);
}

TEST_F(BackupsTest, NewTasksProposeNamesFromOneCounter) {
    auto registry = Registry();
    std::vector<std::string> proposals;
    host.editor = [&](KBT& task) {
        proposals.push_back(task.FGeneral.Name + " -> " + task.FDestination.Folder.FullName());
        return true;
    };
    ASSERT_TRUE(registry->NewBackupTask());
    ASSERT_TRUE(registry->NewBackupTask());
    TBackup* sync = registry->NewSyncTask();
    ASSERT_TRUE(sync);
    EXPECT_EQ(proposals, (std::vector<std::string>{"MyBackup 1 -> " + home + "Backup",
                                                   "MyBackup 2 -> " + home + "Backup",
                                                   "MySync 3 -> " + home + "Backup"}));
    EXPECT_EQ(sync->Task().FGeneral.Type, 1);
    EXPECT_EQ(registry->Items()[0]->Task().FGeneral.Type, 0);
    EXPECT_GT(registry->Items()[0]->Task().FGeneral.CreateDate, 40000);
    EXPECT_EQ(sync->Task().FGeneral.CreateDate, 0);
    EXPECT_TRUE(host.requests[0].NoCompression);
    EXPECT_TRUE(host.requests[2].Synchronization);
    EXPECT_EQ(test::ReadFile(home + "annCounter.txt"), "4\r\n");
    EXPECT_TRUE(test::Exists(tasks + "MySync 3.kbt"));
    EXPECT_NE(test::ReadFile(home + "ann_KelvoBackup.prj").find("MySync 3.kbt"), std::string::npos);
}

TEST_F(BackupsTest, ACounterThatIsNoNumberIsProposedAndKept) {
    test::WriteFile(home + "annCounter.txt", "abc\r\n");
    auto registry = Registry();
    host.editor = [](KBT&) { return true; };
    ASSERT_TRUE(registry->NewBackupTask());
    EXPECT_EQ(registry->Items()[0]->Task().FGeneral.Name, "MyBackup abc");
    EXPECT_EQ(test::ReadFile(home + "annCounter.txt"), "abc\r\n");
}

TEST_F(BackupsTest, ACancelledWizardWritesNothing) {
    auto registry = Registry();
    EXPECT_EQ(registry->NewBackupTask(), nullptr);
    EXPECT_TRUE(registry->Items().empty());
    EXPECT_FALSE(test::Exists(home + "annCounter.txt"));
    EXPECT_FALSE(test::Exists(home + "ann_KelvoBackup.prj"));
    EXPECT_FALSE(test::Exists(tasks + "MyBackup 1.kbt"));
}

TEST_F(BackupsTest, DuplicateAppendsOnesUntilTheNameIsFree) {
    MakeTask("Daily");
    MakeTask("Daily1");
    Project("ann_KelvoBackup.prj", {"Daily"});
    auto registry = Registry();
    registry->LoadProject(false);
    TBackup& original = *registry->Items()[0];
    TBackup* copy = registry->Duplicate(original);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->Task().FGeneral.Name, "Daily11");
    EXPECT_EQ(copy->Task().FGeneral.ArchiveFolderName, "Daily11");
    EXPECT_EQ(original.Task().FGeneral.Name, "Daily");
    EXPECT_EQ(original.Task().FGeneral.ArchiveFolderName, "default"); // its backups stay put
    EXPECT_NE(copy->Task().FGeneral.TaskGUID, original.Task().FGeneral.TaskGUID);
    EXPECT_NE(test::ReadFile(home + "ann_KelvoBackup.prj").find("Daily11.kbt"), std::string::npos);
}

TEST_F(BackupsTest, DeleteRemovesTheTaskFilesButNothingElse) {
    MakeTask("Docs");
    test::WriteFile(tasks + "Docs.bdl", "x");
    test::WriteFile(tasks + "Docs.log", "x");
    test::WriteFile(tasks + "Docs.kbt.bak", "kept");
    Project("ann_KelvoBackup.prj", {"Docs"});
    auto registry = Registry();
    registry->LoadProject(false);
    EXPECT_TRUE(registry->Delete(registry->Items()[0].get()));
    EXPECT_FALSE(registry->Delete(nullptr));
    EXPECT_EQ(test::ListFolder(tasks), std::vector<std::string>{"Docs.kbt.bak"});
    EXPECT_EQ(test::ReadFile(home + "ann_KelvoBackup.prj").find("Docs"), std::string::npos);
}

TEST_F(BackupsTest, EditingStartsTheHistoryOverOnlyForTheSettingsThatMoveBackups) {
    MakeTask("Docs");
    Project("ann_KelvoBackup.prj", {"Docs"});
    auto registry = Registry();
    registry->LoadProject(false);
    TBackup& entry = *registry->Items()[0];
    entry.Task().FGeneral.bCount = 3;
    entry.Task().FDestination.Stacks = {"Docs 1", "Docs 2"};
    ASSERT_TRUE(entry.Task().Save(false));

    host.editor = [](KBT& task) {
        task.FGeneral.Description = "only the text";
        return true;
    };
    ASSERT_TRUE(registry->EditProperties(entry));
    EXPECT_EQ(entry.Task().FGeneral.bCount, 3);
    EXPECT_EQ(entry.Task().FDestination.Stacks.size(), 2u);
    EXPECT_EQ(entry.Task().FGeneral.Description, "only the text");

    host.editor = [](KBT& task) {
        task.FDestination.Folder.SetPath("/elsewhere");
        return true;
    };
    ASSERT_TRUE(registry->EditProperties(entry));
    EXPECT_EQ(entry.Task().FGeneral.bCount, 0);
    EXPECT_TRUE(entry.Task().FDestination.Stacks.empty());
    EXPECT_EQ(ReadLogFile(tasks + "Docs.log").at(ReadLogFile(tasks + "Docs.log").size() - 2).Text,
              "Item properties have been changed. All Items in destination will be ignored");
}

TEST_F(BackupsTest, ACancelledEditIsDiscardedAndARenameMovesTheFile) {
    MakeTask("Docs");
    Project("ann_KelvoBackup.prj", {"Docs"});
    auto registry = Registry();
    registry->LoadProject(false);
    TBackup& entry = *registry->Items()[0];
    host.editor = [](KBT& task) {
        task.FGeneral.Description = "discarded";
        return false;
    };
    EXPECT_FALSE(registry->EditProperties(entry));
    EXPECT_EQ(entry.Task().FGeneral.Description, "");

    host.editor = [](KBT& task) {
        task.FGeneral.Name = "Documents";
        return true;
    };
    ASSERT_TRUE(registry->EditProperties(entry));
    EXPECT_EQ(entry.Name(), "Documents");
    EXPECT_TRUE(test::Exists(tasks + "Documents.kbt"));
    EXPECT_TRUE(test::Exists(tasks + "Docs.kbt")); // left behind, unlisted
    const std::string project = test::ReadFile(home + "ann_KelvoBackup.prj");
    EXPECT_NE(project.find("Documents.kbt"), std::string::npos);
    EXPECT_EQ(project.find("Docs.kbt"), std::string::npos);
}

TEST_F(BackupsTest, ImportCopiesTheFileAndRefusesAKnownName) {
    const std::string outside = test::MakeTempFolder("media");
    {
        KBT task(outside, "Laptop");
        task.FGeneral.Type = 0;
        ASSERT_TRUE(task.Save(false));
    }
    auto registry = Registry();
    TBackup* imported = registry->ImportTaskFile(outside + "/Laptop.kbt");
    ASSERT_TRUE(imported);
    EXPECT_EQ(imported->Task().FGeneral.bCount, 1);
    EXPECT_TRUE(test::Exists(tasks + "Laptop.kbt"));
    try {
        registry->ImportTaskFile(outside + "/Laptop.kbt");
        FAIL() << "a second import of the same name must be refused";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "There is allready a backup task with the same name (Laptop)!");
    }
    EXPECT_EQ(registry->Items().size(), 1u);
}

TEST_F(BackupsTest, NamesThatLeaveTheTasksFolderAreRefused) {
    const std::string outside = test::MakeTempFolder("media");
    test::WriteFile(outside + "/Evil.kbt", "<XML><GENERAL><Type>0</Type><a/><b/>"
                                           "<Name>../../escaped</Name></GENERAL></XML>");
    auto registry = Registry();
    EXPECT_THROW(registry->ImportTaskFile(outside + "/Evil.kbt"), std::runtime_error);
    EXPECT_FALSE(test::Exists(tasks + "Evil.kbt"));
    // A hostile name loaded by other ways keeps the name of its file.
    test::WriteFile(tasks + "Evil.kbt", test::ReadFile(outside + "/Evil.kbt"));
    KBT loaded(tasks, "Evil");
    EXPECT_EQ(loaded.FGeneral.Name, "Evil");
    host.editor = [](KBT& task) {
        task.FGeneral.Name = "a/b";
        return true;
    };
    EXPECT_THROW(registry->NewBackupTask(), std::runtime_error);
    EXPECT_FALSE(test::Exists(home + "annCounter.txt"));
}

TEST_F(BackupsTest, EachOfTheFiveHistorySettingsResetsTheHistory) {
    const std::vector<std::pair<const char*, std::function<void(KBT&)>>> changes = {
        {"SetCollision", [](KBT& t) { t.FGeneral.SetCollision = "stack"; }},
        {"archive password", [](KBT& t) { t.FDestination.Archive.FPassword = "new"; }},
        {"storage form", [](KBT& t) { t.FDestination.archive = true; }},
        {"destination folder", [](KBT& t) { t.FDestination.Folder.SetPath("/other"); }},
        {"ArchiveFolderName", [](KBT& t) { t.FGeneral.ArchiveFolderName = "renamed"; }},
        {"none: the schedule", [](KBT& t) { t.FGeneral.SRunMissed = true; }},
    };
    for (const auto& item : changes) {
        const char* what = item.first;
        const std::function<void(KBT&)>& change = item.second;
        MakeTask("Docs");
        Project("ann_KelvoBackup.prj", {"Docs"});
        auto registry = Registry();
        registry->LoadProject(false);
        TBackup& entry = *registry->Items()[0];
        entry.Task().FGeneral.bCount = 2;
        entry.Task().FDestination.Stacks = {"Docs 1"};
        host.editor = [&](KBT& task) {
            change(task);
            return true;
        };
        ASSERT_TRUE(registry->EditProperties(entry));
        const bool reset = std::string(what).rfind("none", 0) != 0;
        EXPECT_EQ(entry.Task().FGeneral.bCount, reset ? 0 : 2) << what;
        EXPECT_EQ(entry.Task().FDestination.Stacks.empty(), reset) << what;
    }
}

TEST_F(BackupsTest, AStartupTaskKeepsTheProgramResident) {
    TOptions options(home, "ann", TheAutostartEntry());
    options.WindowsStartup = false;
    TBackups registry(home, "ann", TaskEnvironment{tasks, {}}, host, &options);
    host.editor = [](KBT& task) {
        task.FGeneral.StartRunPath = "/usr/bin/true"; // a pre-run program alone changes nothing
        return true;
    };
    ASSERT_TRUE(registry.NewSyncTask());
    EXPECT_FALSE(options.WindowsStartup);
    host.editor = [](KBT& task) {
        task.FGeneral.SWindowsStartup = true;
        return true;
    };
    ASSERT_TRUE(registry.NewBackupTask());
    EXPECT_TRUE(options.WindowsStartup);
}
