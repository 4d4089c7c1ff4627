#include "app/IniFile.h"

#include <gtest/gtest.h>

using namespace kelvo;

TEST(IniFileTest, ReadsLikeProfileFiles) {
    IniFile ini;
    ini.LoadFromString("; comment\r\n[Main]\r\n  viewLog = 1 \r\nName=\"  quoted  \"\r\n"
                       "Name=second\r\nEmpty=\r\nnot a key\r\n[main]\r\nLate=1\r\n"
                       "[e-mail Notification]\r\nSMTPServer=mail.example\r\n");
    EXPECT_EQ(ini.Read("MAIN", "VIEWLOG"), "1");
    EXPECT_EQ(ini.Read("main", "name"), "  quoted  "); // one pair of quotes removed
    EXPECT_EQ(ini.Read("Main", "Empty"), "");
    EXPECT_EQ(ini.Read("Main", "Late"), std::nullopt); // only the first section counts
    EXPECT_EQ(ini.Read("e-mail Notification", "SMTPServer"), "mail.example");
    EXPECT_EQ(ini.Read("Missing", "x"), std::nullopt);
    EXPECT_TRUE(ini.ReadBool("Main", "viewLog", false));
}

TEST(IniFileTest, IntegersFallBackWhenUnparsable) {
    IniFile ini;
    ini.LoadFromString("[S]\nA=42\nB=-7\nC=$1F\nD=0x10\nE=12abc\nF=\nG=99999999999999999999\n");
    const std::pair<const char*, int64_t> cases[] = {{"A", 42}, {"B", -7}, {"C", 31}, {"D", 16},
                                                     {"E", 5},  {"F", 5},  {"G", 5},  {"H", 5}};
    for (const auto& [key, value] : cases)
        EXPECT_EQ(ini.ReadInteger("S", key, 5), value) << key;
    EXPECT_TRUE(ini.ReadBool("S", "B", false)); // any non-zero integer
    EXPECT_FALSE(ini.ReadBool("S", "E", false));
}

TEST(IniFileTest, WritingKeepsTheRestOfTheFile) {
    IniFile ini;
    ini.LoadFromString("; kept\n[A]\nx=1\nUnknown=kept\n\n[B]\ny=2\n");
    ini.Write("a", "X", "9");
    ini.Write("A", "z", "3");
    ini.Write("C", "w", "4");
    EXPECT_EQ(ini.SaveToString(), "; kept\n[A]\nX=9\nUnknown=kept\nz=3\n\n[B]\ny=2\n\n[C]\nw=4\n");
}

TEST(IniFileTest, AValueCannotInjectLines) {
    IniFile ini;
    ini.Write("GENERAL", "PasswordHint", "hint\n[GENERAL]\nPassword=evil");
    IniFile again;
    again.LoadFromString(ini.SaveToString());
    EXPECT_EQ(again.Read("GENERAL", "Password"), std::nullopt);
    EXPECT_EQ(again.Read("GENERAL", "PasswordHint"), "hint [GENERAL] Password=evil");
}
