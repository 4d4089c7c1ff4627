#include "engine/Masks.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(MasksTest, WildcardsMatchWholeNamesWithoutRegardToCase) {
    struct Case {
        std::string name, pattern;
        bool match;
    };
    for (const Case& c :
         std::vector<Case>{{"Report.DOC", "*.doc", true},
                           {"report.docx", "*.doc", false},
                           {"a", "?", true},
                           {"", "?", false},
                           {"", "", true},
                           {"x", "", false},
                           {"*x", "*", true},
                           {"abcabd", "*ab?", true},
                           {"aaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "*a*a*a*a*a*a*c", false},
                           {"My Files.txt", "My*", true}})
        EXPECT_EQ(WildcardMatch(c.name, c.pattern), c.match) << c.name << " ~ " << c.pattern;
    EXPECT_EQ(SplitMaskList("My Files*;*.tmp;"),
              (std::vector<std::string>{"My Files*", "*.tmp", ""}));
}

TEST(MasksTest, TheFileFilterSplitsAtBlanksAndTestsPlainListsAsSubstrings) {
    EXPECT_EQ(SplitFilterList("My Files*;*.tmp"),
              (std::vector<std::string>{"My", "Files*", "*.tmp"}));
    EXPECT_EQ(SplitFilterList("\"My Files*\";*.bak;"),
              (std::vector<std::string>{"My Files*", "*.bak", ""}));
    EXPECT_EQ(SplitFilterList("a b*"), std::vector<std::string>{"a b*"}) << "no ';', one pattern";
    FileFilter filter;
    filter.Exclusion = "My Files*;*.tmp";
    for (const std::string name : {"My", "Files2024", "x.tmp"})
        EXPECT_FALSE(filter.Accepts(name)) << name;
    EXPECT_TRUE(filter.Accepts("My Files.txt"));
    filter.Exclusion = "backup"; // no wildcard: a substring test
    EXPECT_FALSE(filter.Accepts("ack"));
    EXPECT_TRUE(filter.Accepts("Backup")) << "case-sensitive";
    filter.Exclusion = "*.tmp";
    filter.ExcludeTemp = true;
    filter.Temporary = TemporaryMasks({{"~*", "temp"}, {"*.bak;", "backup"}, {"*.old", ""}});
    EXPECT_EQ(filter.Temporary, "~*;*.bak;*.old");
    for (const std::string name : {"~a.txt", "b.bak", "x.tmp", "c.old"})
        EXPECT_FALSE(filter.Accepts(name)) << name;
    EXPECT_TRUE(filter.Accepts("keep.txt"));
    filter = {};
    filter.Inclusion = "*.doc;*.xls";
    EXPECT_TRUE(filter.Accepts("Report.DOC"));
    EXPECT_FALSE(filter.Accepts("report.docx"));
    EXPECT_TRUE(FileFilter{}.Accepts("anything")) << "empty lists pass everything";
}
