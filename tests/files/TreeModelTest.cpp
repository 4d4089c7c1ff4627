#include "files/BuildTree.h"
#include "files/FD.h"
#include "files/FileFacts.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>
#include <zlib.h>

using namespace kelvo;

namespace {

TDi* AddFolder(TDir& root, const std::string& path) {
    root.FFoundDirs.push_back(std::make_unique<TDi>(root.FSide, &root));
    root.FFoundDirs.back()->SetPath(path);
    return root.FFoundDirs.back().get();
}

TFi* AddFile(TDir& root, const std::string& path, int64_t size) {
    root.FFoundFiles.push_back(std::make_unique<TFi>(root.FSide, &root));
    root.FFoundFiles.back()->SetPath(path);
    root.FFoundFiles.back()->FSize = size;
    return root.FFoundFiles.back().get();
}

} // namespace

TEST(TreeModelTest, EntriesAttachToTheFolderOfTheirExactParentPath) {
    TDir root(1);
    root.SetPath("/r");
    // Reported in an order the search may give; A.old sorts between A and A/x.txt.
    TDi* ab = AddFolder(root, "/r/AB");
    TDi* b = AddFolder(root, "/r/A/B");
    TDi* old = AddFolder(root, "/r/A.old");
    TDi* a = AddFolder(root, "/r/A");
    TFi* x = AddFile(root, "/r/A/x.txt", 10);
    TFi* y = AddFile(root, "/r/A/y.txt", 5);
    TFi* stray = AddFile(root, "/r/Excluded/z.txt", 7); // its folder was not reported
    BuildTree(root);
    EXPECT_EQ(root.FSubDirs, (std::vector<TDi*>{a, old, ab}));
    EXPECT_EQ(a->FSubDirs, std::vector<TDi*>{b});
    EXPECT_EQ(a->FFiles, (std::vector<TFi*>{x, y}));
    EXPECT_EQ(x->FParent, a);
    EXPECT_EQ(a->FSize, 15);
    EXPECT_EQ(root.FFiles, std::vector<TFi*>{stray});
    EXPECT_EQ(root.FSize, 7);
    EXPECT_TRUE(old->FFiles.empty());
    EXPECT_EQ(RelativePath(*b), "A/B");
    EXPECT_EQ(RelativePath(*b, true), "r/A/B");
    EXPECT_EQ(RelativePath(root), "");
    EXPECT_EQ(root.FFoundDirs.front()->FullName(), "/r/A") << "the flat lists are sorted too";
}

TEST(TreeModelTest, PartnersAreMutualAndClearedWhenOneDies) {
    TFi left(1), other(1);
    {
        TFi right(2);
        TFD::Pair(left, right);
        EXPECT_EQ(right.FPartner, &left);
        left.SetState(kStateNew);
        EXPECT_EQ(right.FState, kStateNew);
        EXPECT_EQ(left.StateText(), "New");
        EXPECT_EQ(right.StateText(), "New") << "a destination entry shows its partner's state";
        TFD::Pair(other, right);
        EXPECT_EQ(left.FPartner, nullptr) << "pairing anew unlinks the old partner";
    }
    EXPECT_EQ(other.FPartner, nullptr);
    TDi folder(1);
    folder.FState = kStateIdentical;
    EXPECT_EQ(folder.StateText(), "") << "a folder without partner shows nothing";
    for (const auto& [code, text] : std::vector<std::pair<int, std::string>>{{5, "Different"},
                                                                             {56, "Different"},
                                                                             {8, "Updated"},
                                                                             {78, "Identical"},
                                                                             {13, "unknown"}})
        EXPECT_EQ(StateTextOf(code), text) << code;
}

TEST(TreeModelTest, FileFactsSignSmallFilesByContentAndLargeOnesBySize) {
    const std::string folder = test::MakeTempFolder("facts");
    const std::string limit(kSignatureLimit, 'x');
    test::WriteFile(folder + "/limit", limit);
    test::WriteFile(folder + "/over", limit + "x");
    test::WriteFile(folder + "/empty", "");
    struct Case {
        std::string name;
        bool backup;
        int64_t size;
        uint64_t signature;
    };
    const uint64_t crc =
        crc32(0, reinterpret_cast<const Bytef*>(limit.data()), static_cast<uInt>(limit.size()));
    for (const Case& c : std::vector<Case>{{"limit", true, 1600000, crc},
                                           {"over", true, 1600001, 1600001},
                                           {"empty", true, 0, 0},
                                           {"limit", false, 1600000, 0},
                                           {"missing", true, -1, 0}}) {
        TFi file(1);
        file.SetPath(folder + "/" + c.name);
        ReadFileFacts(file, c.backup);
        EXPECT_EQ(file.FSize, c.size) << c.name;
        EXPECT_EQ(file.FCrc, c.signature) << c.name << (c.backup ? " backup" : " sync");
        EXPECT_EQ(file.FTime != 0, c.size >= 0) << c.name;
    }
    EXPECT_EQ(FileTime(folder + "/missing"), 0);
    EXPECT_NEAR(FileTime(folder + "/empty"), DateTimeFromSystem(std::chrono::system_clock::now()),
                1.0 / 24)
        << "local time, within the hour";
}
