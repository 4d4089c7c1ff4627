#include "platform/posix/FileRegistryStore.h"
#include "support/TestEnvironment.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace kelvo;

namespace {

constexpr RegRoot HKCU = RegRoot::CurrentUser;
constexpr RegRoot HKLM = RegRoot::LocalMachine;

class RegistryStoreTest : public ::testing::Test {
protected:
    std::string user = test::MakeTempFolder("hkcu");
    std::string system = test::MakeTempFolder("hklm");
    FileRegistryStore store{user, system};
};

} // namespace

TEST_F(RegistryStoreTest, KeepsValuesOfEveryTypeAcrossInstances) {
    const std::vector<RegValue> values = {
        RegValue::Text("", "default value"),
        RegValue::Text("Path", "/home/ann/Données \"x\"\nline"),
        RegValue::Text("Expand", "%HOME%/bin", RegType::ExpandString),
        RegValue::DWord("Count", 0xDEADBEEF),
        RegValue::QWord("Big", 0x0123456789ABCDEFull),
        RegValue::Binary("Blob", std::string("\0\x01\xFF%\n ", 6)),
        RegValue::Binary("EmptyBlob", ""),
        RegValue::MultiText("List", {"one", "two words", ""}),
        RegValue{"Odd", 0x1234, std::string("raw\0bytes", 9)},
    };
    ASSERT_TRUE(store.CreateKey(HKCU, "Software\\Maker\\Product"));
    for (const RegValue& value : values)
        ASSERT_TRUE(store.SetValue(HKCU, "Software\\Maker\\Product", value)) << value.Name;
    FileRegistryStore reopened(user, system);
    EXPECT_EQ(reopened.Values(HKCU, "\\software\\MAKER\\product\\"), values);
    EXPECT_EQ(reopened.GetValue(HKCU, "Software\\Maker\\Product", "count")->AsDWord(), 0xDEADBEEF);
    EXPECT_EQ(reopened.GetValue(HKCU, "Software\\Maker\\Product", "Big")->AsQWord(),
              0x0123456789ABCDEFull);
    EXPECT_EQ(reopened.GetValue(HKCU, "Software\\Maker\\Product", "List")->AsMultiText(),
              (std::vector<std::string>{"one", "two words"}));
    EXPECT_EQ(reopened.ReadText(HKCU, "Software\\Maker\\Product", "Count"), std::nullopt);
    EXPECT_FALSE(reopened.KeyExists(HKLM, "Software\\Maker\\Product")); // roots are apart
}

TEST_F(RegistryStoreTest, EnumeratesKeysByNameAndValuesAsSet) {
    for (const char* key : {"Root\\beta", "Root\\Alpha", "Root\\gamma\\deep", "Root\\ALPHA"})
        ASSERT_TRUE(store.CreateKey(HKCU, key));
    EXPECT_EQ(store.SubKeyNames(HKCU, "root"),
              (std::vector<std::string>{"Alpha", "beta", "gamma"}));
    for (const char* name : {"z", "a", "M"})
        ASSERT_TRUE(store.SetValue(HKCU, "Root", RegValue::DWord(name, 1)));
    ASSERT_TRUE(store.SetValue(HKCU, "Root", RegValue::DWord("A", 2))); // replaces in place
    std::vector<std::string> names;
    const auto values = store.Values(HKCU, "Root");
    for (const RegValue& value : *values)
        names.push_back(value.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"z", "A", "M"}));
    EXPECT_EQ(store.SubKeyNames(HKCU, "Nowhere"), std::nullopt);
    EXPECT_FALSE(store.SetValue(HKCU, "Nowhere", RegValue::DWord("x", 1))); // the key must exist
}

TEST_F(RegistryStoreTest, DeletesKeysWithEverythingBelow) {
    ASSERT_TRUE(store.CreateKey(HKCU, "A\\B\\C"));
    ASSERT_TRUE(store.SetValue(HKCU, "A\\B\\C", RegValue::DWord("v", 1)));
    EXPECT_TRUE(store.DeleteKey(HKCU, "a\\b"));
    EXPECT_FALSE(store.KeyExists(HKCU, "A\\B\\C"));
    EXPECT_TRUE(store.KeyExists(HKCU, "A"));
    EXPECT_FALSE(store.DeleteKey(HKCU, "A\\B"));
    EXPECT_FALSE(store.DeleteKey(HKCU, "")); // never the root itself
    ASSERT_TRUE(store.SetValue(HKCU, "A", RegValue::DWord("v", 1)));
    EXPECT_TRUE(store.DeleteValue(HKCU, "A", "V"));
    EXPECT_FALSE(store.DeleteValue(HKCU, "A", "v"));
}

TEST_F(RegistryStoreTest, DamagedHiveGivesWhatIsReadableAndNoCrash) {
    test::WriteFile(user + "/HKEY_CURRENT_USER.hive",
                    "KelvoRegistry 1\nK Good\nV 4 n %01%00%00%00\nV x bad line\nV 4 %ZZ x\n"
                    "K \nV 99999999999 big x\nK Other\nV 1 s text%\n");
    EXPECT_EQ(store.ReadInteger(HKCU, "Good", "n"), 1);
    EXPECT_EQ(store.Values(HKCU, "Good")->size(), 1u);
    EXPECT_TRUE(store.KeyExists(HKCU, "Other"));
    EXPECT_EQ(store.Values(HKCU, "Other")->size(), 0u);
    test::WriteFile(user + "/HKEY_CURRENT_USER.hive", "\x89PNG garbage\n");
    EXPECT_FALSE(store.KeyExists(HKCU, "Good"));
}

TEST_F(RegistryStoreTest, SavesLeaveNoTemporaryFiles) {
    ASSERT_TRUE(store.WriteValueCreatingKey(HKCU, "K", RegValue::Text("a", "b")));
    EXPECT_EQ(test::ListFolder(user),
              (std::vector<std::string>{"HKEY_CURRENT_USER.hive", "HKEY_CURRENT_USER.lock"}));
}

TEST(ReadOnlyHiveTest, AnotherUserReadsTheSystemHiveButCannotWriteIt) {
    // The machine hive belongs to root and is readable by all; the check runs as
    // an unprivileged user in a child process.
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to create a hive of another owner";
    std::string system = "/tmp/kelvo-hklm-XXXXXX";
    ASSERT_TRUE(::mkdtemp(system.data()));
    ::chmod(system.c_str(), 0755);
    {
        FileRegistryStore owner("/nonexistent", system);
        ASSERT_TRUE(owner.WriteValueCreatingKey(HKLM, "Software\\Maker",
                                                RegValue::Text("InstallPath", "/opt/maker")));
        ::chmod((system + "/HKEY_LOCAL_MACHINE.hive").c_str(), 0644);
        ::unlink((system + "/HKEY_LOCAL_MACHINE.lock").c_str()); // nobody may create it now
    }
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(10);
        FileRegistryStore store("/nonexistent", system);
        if (store.ReadText(HKLM, "Software\\Maker", "InstallPath") != "/opt/maker")
            ::_exit(11);
        if (store.SetValue(HKLM, "Software\\Maker", RegValue::Text("InstallPath", "/tmp")))
            ::_exit(12);
        if (store.CreateKey(HKLM, "Software\\Other"))
            ::_exit(13);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(
        FileRegistryStore("/nonexistent", system).ReadText(HKLM, "Software\\Maker", "InstallPath"),
        "/opt/maker");
    std::filesystem::remove_all(system);
}

TEST_F(RegistryStoreTest, SeveralThreadsAndProcessesWriteWithoutLosingValues) {
    ASSERT_TRUE(store.CreateKey(HKCU, "Shared"));
    constexpr int kPerWriter = 60;
    auto write = [&](FileRegistryStore& target, const std::string& prefix) {
        for (int i = 0; i < kPerWriter; ++i)
            ASSERT_TRUE(target.SetValue(
                HKCU, "Shared",
                RegValue::DWord(prefix + std::to_string(i), static_cast<uint32_t>(i))));
    };
    const pid_t child = ::fork();
    if (child == 0) {
        FileRegistryStore own(user, system); // another process, another cache
        for (int i = 0; i < kPerWriter; ++i)
            if (!own.SetValue(HKCU, "Shared", RegValue::DWord("p" + std::to_string(i), 1)))
                ::_exit(1);
        ::_exit(0);
    }
    std::thread first([&] { write(store, "t1-"); });
    std::thread second([&] { write(store, "t2-"); });
    first.join();
    second.join();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(store.Values(HKCU, "Shared")->size(), 3u * kPerWriter);
    EXPECT_EQ(FileRegistryStore(user, system).Values(HKCU, "Shared")->size(), 3u * kPerWriter);
}

TEST(RegistryRootsTest, NamesMapExactly) {
    EXPECT_EQ(RootName(RegRoot::LocalMachine), "HKEY_LOCAL_MACHINE");
    EXPECT_EQ(RootFromName("HKEY_DYN_DATA"), RegRoot::DynData);
    EXPECT_EQ(RootFromName("hkey_current_user"), std::nullopt);
}

TEST_F(RegistryStoreTest, ABatchSavesOnceWhenItEnds) {
    ASSERT_TRUE(store.CreateKey(HKCU, "Import"));
    const std::string hive = user + "/HKEY_CURRENT_USER.hive";
    const std::string before = test::ReadFile(hive);
    {
        RegistryBatch batch(store, HKCU);
        for (int i = 0; i < 2000; ++i)
            ASSERT_TRUE(store.SetValue(HKCU, "Import", RegValue::DWord(std::to_string(i), i)));
        {
            RegistryBatch nested(store, HKCU); // nesting keeps the outer batch open
            ASSERT_TRUE(store.CreateKey(HKCU, "Import\\Sub"));
        }
        EXPECT_EQ(store.Values(HKCU, "Import")->size(), 2000u); // seen inside the batch
        EXPECT_EQ(test::ReadFile(hive), before);                // not saved yet
        EXPECT_TRUE(batch.Commit());
    }
    FileRegistryStore reopened(user, system);
    EXPECT_EQ(reopened.Values(HKCU, "Import")->size(), 2000u);
    EXPECT_TRUE(reopened.KeyExists(HKCU, "Import\\Sub"));
}
