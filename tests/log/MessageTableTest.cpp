#include "log/MessageTable.h"
#include "log/MessageTableDefaults.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <set>
#include <thread>

using namespace kelvo;

namespace {

class MessageTableTest : public ::testing::Test {
protected:
    void TearDown() override { MessageTable::Instance().ClearTranslation(); }
};

} // namespace

TEST_F(MessageTableTest, HoldsEveryKeyOnce) {
    std::set<std::string> keys;
    for (const MessageDefault& entry : MessageDefaults())
        keys.insert(entry.key);
    EXPECT_EQ(MessageDefaults().size(), 234u); // the 233 of the table and _ArchiveDamaged
    EXPECT_EQ(keys.size(), 234u);
    EXPECT_EQ(MessageTable::Instance().AllTexts().size(), 234u);
    EXPECT_EQ(MessageDefaults().front().key, std::string("_DecryptPassword"));
    EXPECT_EQ(MessageDefaults()[232].key, std::string("_AbortFileInUse"));
    EXPECT_EQ(MessageDefaults().back().key, std::string("_ArchiveDamaged"));
}

TEST_F(MessageTableTest, AccessorsAddTheirBlanks) {
    const std::pair<const char*, const char*> cases[] = {
        {"_kb", " KB"},
        {"_CreatedOn", " Created on:  "},
        {"_SelectWorkingDays", "Select working days:  "},
        {"_At", "  at "},
        {"_Stopped", "  stopped by user!"},
        {"_Err", "ERROR:  "},
        {"_Warn", "WARNING: "},
        {"_LoginIncorrect", "Login incorrect.\r\n"},
        {"_WantToOverWrite",
         "There is another file with the same name! \r\n Do you want to overwrite?"},
        {"_FatalErrorOnAdding", "Fatal error on adding file \"%s\" to archive!"},
        {"_MailNotificationNamed", " report for backup task \""},
        {"_TaskNameNotDefault", "A task can't have the name: \"default\"."},
        {"cFile", "File \""},
        {"cNotFound", "\" not found."},
        {"cAddPrefix", "Added   :  "},
        {"DLL_DIR", "..\\Dll"},
        {"BACKUP_MESS_WAITING", "Waiting for tasks to complete ... "},
        {"AppName", "Kelvo Backup"},
    };
    for (const auto& [key, text] : cases)
        EXPECT_EQ(Msg(key), text) << key;
    EXPECT_EQ("0" + Msg("_kb"), "0 KB");
}

TEST_F(MessageTableTest, UnknownKeyNeverFails) {
    EXPECT_EQ(Msg("_NoSuchKey"), "_NoSuchKey");
}

TEST_F(MessageTableTest, TranslationReplacesASubsetAndKeepsDecoration) {
    const std::string folder = test::MakeTempFolder("lang");
    test::WriteFile(folder + "/1031.lng", "; German\r\n_kb=KiB\r\n_Never=Nie.\r\n"
                                          "_LoginIncorrect=Anmeldung falsch.\\r\\n\r\n"
                                          "cFile=Datei \"\r\nnot a line\r\n_Bogus=x\r\n");
    MessageTable::Instance().SetLanguage(1031, folder);
    EXPECT_EQ(MessageTable::Instance().Language(), 1031);
    EXPECT_EQ(Msg("_kb"), " KiB");
    EXPECT_EQ(Msg("_Never"), "Nie.");
    EXPECT_EQ(Msg("_LoginIncorrect"), "Anmeldung falsch.\r\n");
    EXPECT_EQ(Msg("cFile"), "File \""); // only the built-in text exists
    EXPECT_EQ(Msg("_mb"), " MB");       // not translated: default
    EXPECT_EQ(Msg("_Bogus"), "_Bogus"); // a translation adds no keys

    MessageTable::Instance().SetLanguage(1049, folder); // no such file
    EXPECT_EQ(Msg("_kb"), " KB");
    MessageTable::Instance().SetLanguage(MessageTable::kDefaultLanguage, folder);
}

TEST_F(MessageTableTest, LookupsRunWhileTheLanguageChanges) {
    const std::string folder = test::MakeTempFolder("lang");
    test::WriteFile(folder + "/1031.lng", "_Never=Nie.\n");
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        while (!stop) {
            const std::string text = Msg("_Never");
            ASSERT_TRUE(text == "Never." || text == "Nie.") << text;
        }
    });
    for (int i = 0; i < 200; ++i)
        MessageTable::Instance().SetLanguage(i % 2 ? 1031 : 1033, folder);
    stop = true;
    reader.join();
}
