#include "crypto/StoredPassword.h"
#include "support/TestEnvironment.h"
#include "task/KBT.h"

#include <filesystem>
#include <gtest/gtest.h>

using namespace kelvo;

namespace {

class TaskFileTest : public ::testing::Test {
protected:
    std::string tasks = test::MakeTempFolder("tasks") + "/";

    // A task file with GENERAL of n children (Type, then filler) and the given rest.
    void WriteTask(const std::string& name, const std::string& sections,
                   const std::string& general = "<Type>0</Type>") {
        test::WriteFile(tasks + name + ".kbt",
                        "<XML><GENERAL>" + general + "</GENERAL>" + sections + "</XML>");
    }
};

const char* const kSource = "<SOURCE><AlsoFoldersMAsk>true</AlsoFoldersMAsk>"
                            "<ExcludeTemp>false</ExcludeTemp><InclusionMask>*.doc</InclusionMask>"
                            "<ExclusionMask>*.tmp</ExclusionMask>";

} // namespace

TEST_F(TaskFileTest, AMissingFileGivesTheDefaultsUnderTheRequestedName) {
    KBT task(tasks, "Fresh");
    EXPECT_EQ(task.FGeneral.Name, "Fresh");
    EXPECT_EQ(task.FGeneral.Type, 1);
    EXPECT_EQ(task.FGeneral.ArchiveFolderName, "default");
    EXPECT_EQ(task.FDestination.rb, kLocalFolder);
    EXPECT_EQ(task.FDestination.Archive.FQuality, 9);
    EXPECT_TRUE(task.FSource.Folders.empty());
    EXPECT_EQ(task.FileName(), tasks + "Fresh.kbt");
    EXPECT_EQ(ReadLogFile(tasks + "Fresh.log").back().Text, "Load backup");
}

TEST_F(TaskFileTest, ReadsSourceItemsWithTheirMasksAndCredentialsSortedByPath) {
    WriteTask("Docs",
              std::string(kSource) +
                  "<folder><path>/srv/Zeta</path><InclusionMask>*.txt</InclusionMask></folder>"
                  "<folder><p>/home/ann/alpha</p><username>ann</username>"
                  "<password>pw</password></folder>"
                  "<file special=\"2\" info=\"Inbox\"><path>/home/ann/b.pst</path></file>"
                  "<file><path>/home/ann/A.txt</path></file>"
                  "<other><path>/ignored</path></other></SOURCE><DESTINATION/>");
    KBT task(tasks, "Docs");
    const TmSource& source = task.FSource;
    EXPECT_TRUE(source.AlsoFoldersMAsk);
    EXPECT_FALSE(source.ExcludeTemp);
    ASSERT_EQ(source.Folders.size(), 2u);
    EXPECT_EQ(source.Folders[0]->FullName(), "/home/ann/alpha"); // sorted ignoring case
    EXPECT_EQ(source.Folders[0]->Endpoint.Kind, kLanFolder);
    EXPECT_EQ(source.Folders[0]->Endpoint.UserName, "ann");
    EXPECT_EQ(source.Folders[0]->Endpoint.Password, "pw");
    EXPECT_EQ(source.Folders[0]->FInclusionMasks, "*.doc"); // the task-wide masks
    EXPECT_EQ(source.Folders[1]->FInclusionMasks, "*.txt");
    EXPECT_EQ(source.Folders[1]->FExclusionMasks, "*.tmp");
    ASSERT_EQ(source.Files.size(), 2u);
    EXPECT_EQ(source.Files[0]->FullName(), "/home/ann/A.txt");
    EXPECT_EQ(source.Files[1]->Special, 2);
    EXPECT_EQ(source.Files[1]->Info, "Inbox");
}

TEST_F(TaskFileTest, DestinationSettingsFollowTheRulesOfEachChild) {
    const std::string pass = EncryptString("ftp secret");
    WriteTask("Ftp",
              std::string(kSource) +
                  "</SOURCE><DESTINATION>"
                  "<root dtype=\"1\" rb=\"3\"><path>/backups</path><Host>ignored.example</Host>"
                  "<ConnName>Office</ConnName><Host>ftp.example</Host><Port>2121</Port>"
                  "<Pass>" +
                  pass +
                  "</Pass><PsvMode>true</PsvMode></root>"
                  "<archive password=\"" +
                  EncryptString("zip pw") +
                  "\" quality=\"4\" "
                  "split=\"5000000000\">true</archive><list>/kept/list</list>"
                  "<st><stack>Docs 1</stack><x>no</x><stack>Docs 2</stack></st></DESTINATION>",
              "<Type>0</Type><Priority>Normal</Priority><Enabled>true</Enabled><Name>Ftp</Name>"
              "<ArchiveFolderName>Archive</ArchiveFolderName>");
    KBT task(tasks, "Ftp");
    const TmDestination& d = task.FDestination;
    EXPECT_EQ(d.dtype, 1);
    EXPECT_EQ(d.rb, 3);
    EXPECT_EQ(d.Folder.FullName(), "/backups");
    ASSERT_TRUE(d.Folder.Endpoint.Ftp);
    EXPECT_EQ(d.Folder.Endpoint.Ftp->Host, "ftp.example"); // the host before ConnName is ignored
    EXPECT_EQ(d.Folder.Endpoint.Ftp->Port, 2121);
    EXPECT_EQ(d.Folder.Endpoint.Ftp->Pass, "ftp secret");
    EXPECT_TRUE(d.Folder.Endpoint.Ftp->PsvMode);
    EXPECT_TRUE(d.archive);
    EXPECT_EQ(d.Archive.FPassword, "zip pw"); // kept without a security attribute
    EXPECT_EQ(d.Archive.FSecurity, "");
    EXPECT_EQ(d.Archive.FQuality, 4);
    EXPECT_TRUE(d.Archive.FSplit);
    EXPECT_EQ(d.Archive.FSplitSize, 5000000000u);
    EXPECT_EQ(d.Archive.FArchiveName, "Archive");
    EXPECT_EQ(d.Archive.FullName(), "/backups/Archive.zip");
    EXPECT_EQ(d.Archive.FCryName, "/backups/Archive.cry");
    EXPECT_EQ(d.list.FullName(), "/kept/list");
    EXPECT_EQ(d.Stacks, (std::vector<std::string>{"Docs 1", "Docs 2"}));
}

TEST_F(TaskFileTest, FtpSettingsWithoutAConnectionNameAreIgnored) {
    WriteTask("NoName", std::string(kSource) +
                            "</SOURCE><DESTINATION><root rb=\"0\"><path>/media/usb</path>"
                            "<Host>ftp.example</Host><Port>x</Port></root>"
                            "<archive selfextracting=\"true\">true</archive></DESTINATION>");
    KBT task(tasks, "NoName");
    EXPECT_EQ(task.FDestination.Folder.Endpoint.Kind, kRemovableDisk);
    EXPECT_FALSE(task.FDestination.Folder.Endpoint.Ftp);
    EXPECT_EQ(task.FDestination.Archive.FQuality, 6); // absent: 6
    EXPECT_EQ(task.FDestination.Archive.FullName(), "/media/usb/default.exe");
}

TEST_F(TaskFileTest, AConversionErrorKeepsWhatCameBefore) {
    WriteTask("Broken", std::string(kSource) +
                            "<folder><path>/a</path></folder><file special=\"many\"><path>/b</path>"
                            "</file><folder><path>/c</path></folder></SOURCE>"
                            "<DESTINATION><root rb=\"2\"><path>/never</path></root></DESTINATION>");
    KBT task(tasks, "Broken");
    EXPECT_EQ(task.FGeneral.Type, 0);
    ASSERT_EQ(task.FSource.Folders.size(), 1u);
    EXPECT_EQ(task.FSource.Folders[0]->FullName(), "/a");
    EXPECT_TRUE(task.FSource.Files.empty());
    EXPECT_EQ(task.FDestination.Folder.FullName(), ""); // never reached
}

TEST_F(TaskFileTest, SavingWritesTheStructureAndLoadingItGivesTheSameTask) {
    KBT task(tasks, "Round");
    task.FGeneral.Type = 0;
    task.FSource.InclusionMask = "*.*";
    auto folder = std::make_unique<TDir>(1);
    folder->SetPath("/home/ann/Data");
    folder->FInclusionMasks = "*.*";
    folder->FExclusionMasks = "*.bak";
    task.FSource.Folders.push_back(std::move(folder));
    auto file = std::make_unique<TFis>(1);
    file->SetPath("/srv/share/notes.txt");
    file->Endpoint = {kLanFolder, "bob", "lan pw", nullptr};
    task.FSource.Files.push_back(std::move(file));
    task.FSource.Registry.Add({"Settings", "", "HKEY_CURRENT_USER\\Software\\Example"});
    task.FSource.Registry.Add({"Twice", "", "HKEY_CURRENT_USER\\Software\\Example"});
    task.FSource.Plugins.push_back({"{GUID-1}", {"prefs.js"}, {{"id1", "Default profile"}}});
    task.FDestination.Folder.SetPath("/backups");
    task.FDestination.Folder.Endpoint.Kind = kLanFolder;
    task.FDestination.Folder.Endpoint.UserName = "ann";
    task.FDestination.archive = true;
    task.FDestination.Archive.FSecurity = "AES";
    task.FDestination.Archive.FPassword = "archive pw";
    task.FDestination.Stacks = {"Round 1"};
    ASSERT_TRUE(task.Save(false));

    const std::string text = test::ReadFile(tasks + "Round.kbt");
    const std::string order[] = {"<XML>",
                                 "<GENERAL>",
                                 "<SOURCE>",
                                 "<AlsoFoldersMAsk>false",
                                 "<ExcludeTemp>false",
                                 "<InclusionMask>*.*</InclusionMask>",
                                 "<ExclusionMask></ExclusionMask>",
                                 "<folder>",
                                 "<path>/home/ann/Data</path>",
                                 "<ExclusionMask>*.bak",
                                 "<file>",
                                 "<username>bob</username>",
                                 "<DESTINATION>",
                                 "<root dtype=\"0\" rb=\"1\">",
                                 "<path>/backups</path>",
                                 "<username>ann</username>",
                                 "<archive selfextracting=\"false\" "
                                 "security=\"AES\" password=\"" +
                                     EncryptString("archive pw") +
                                     "\" quality=\"9\">true</archive>",
                                 "<list></list>",
                                 "<st>",
                                 "<stack>Round 1</stack>",
                                 "<REGISTRY>",
                                 "<key>",
                                 "<name>Settings</name>",
                                 "<PLUGINS>",
                                 "<guid>{GUID-1}</guid>",
                                 "<ident IdentName=\"Default profile\">id1</ident>"};
    size_t at = 0;
    for (const std::string& piece : order) {
        const size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << "\n" << text;
        at = found + piece.size();
    }
    EXPECT_EQ(text.find("FTP_SOURCE"), std::string::npos);
    EXPECT_EQ(text.find("archive pw"), std::string::npos); // never in clear

    KBT again(tasks, "Round");
    EXPECT_EQ(again.FGeneral.Type, 0);
    ASSERT_EQ(again.FSource.Folders.size(), 1u);
    EXPECT_EQ(again.FSource.Folders[0]->FExclusionMasks, "*.bak");
    EXPECT_EQ(again.FSource.Files[0]->Endpoint.Password, "lan pw");
    EXPECT_EQ(again.FSource.Registry.Count(), 1u);
    EXPECT_EQ(again.FSource.Plugins, task.FSource.Plugins);
    EXPECT_EQ(again.FDestination.Archive.FPassword, "archive pw");
    EXPECT_EQ(again.FDestination.Folder.Endpoint.Kind, kLanFolder);
    EXPECT_EQ(again.FDestination.Stacks, task.FDestination.Stacks);
    ASSERT_TRUE(again.Save(false));
    EXPECT_EQ(test::ReadFile(tasks + "Round.kbt"), text); // a second save changes nothing
}

TEST_F(TaskFileTest, AnFtpTaskSavesASnapshotOfItsSources) {
    const std::string data = test::MakeTempFolder("data");
    test::WriteFile(data + "/Docs/a.txt", "12345");
    test::WriteFile(data + "/Docs/sub/b.txt", "1234567890");
    test::WriteFile(data + "/Music/c.mp3", "123");
    KBT task(tasks, "Ftp");
    for (const char* name : {"/Docs", "/Music"}) {
        auto folder = std::make_unique<TDir>(1);
        folder->SetPath(data + name);
        task.FSource.Folders.push_back(std::move(folder));
    }
    auto missing = std::make_unique<TFis>(1);
    missing->SetPath(data + "/gone.txt");
    task.FSource.Files.push_back(std::move(missing));
    task.FDestination.Folder.Endpoint.Kind = kFtpServer;
    task.FDestination.Folder.Endpoint.Ftp = std::make_shared<TConnection>();
    ASSERT_TRUE(task.Save(false));

    KBT loaded(tasks, "Ftp");
    ASSERT_TRUE(loaded.FtpSnapshot());
    // Both source folders share the elements of their common parent folders.
    const TXMLNode* parent = loaded.FindSnapshotFolder(data);
    ASSERT_TRUE(parent);
    std::vector<TFTPNodeObject> entries;
    loaded.ListSnapshotFolder(data, entries);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Docs");
    EXPECT_TRUE(entries[0].folder);
    EXPECT_EQ(entries[1].name, "Music");
    EXPECT_EQ(entries[2].name, "gone.txt");
    EXPECT_EQ(entries[2].size, 0);
    entries.clear();
    loaded.ListSnapshotFolder(data + "/Docs", entries);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0],
              (TFTPNodeObject{"a.txt", data + "/Docs/a.txt", 5, entries[0].date, false}));
    EXPECT_GT(entries[0].date, 40000);
    EXPECT_EQ(loaded.SnapshotSize(data + "/Docs", nullptr), 15);
    EXPECT_EQ(
        loaded.SnapshotSize(data + "/Docs", [](const std::string& n) { return n == "b.txt"; }), 10);
    EXPECT_EQ(loaded.FindSnapshotFolder(data + "/Nothing"), nullptr);
}
