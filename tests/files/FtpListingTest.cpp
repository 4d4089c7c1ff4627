#include "files/ftp/FtpListing.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

SystemTime Noon(int year, int month, int day) {
    TDateTime when = 0;
    TryEncodeDateTime({year, month, day, 12, 0, 0, 0}, when);
    return SystemFromDateTime(when);
}

std::string Date(TDateTime when) {
    const DateTimeParts p = DecodeDateTime(when);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute);
    return text;
}

} // namespace

TEST(FtpListingTest, UnixAndDosLinesGiveNameKindSizeAndTime) {
    const SystemTime now = Noon(2026, 12, 11);
    struct Case {
        std::string line, name;
        bool folder;
        int64_t size;
        std::string time;
    };
    for (const Case& c :
         std::vector<Case>{{"-rw-r--r--   1 root     root          18 Dec 11 03:18 name", "name",
                            false, 18, "2026-12-11 03:18"},
                           {"-rw-r--r--   1 u g 5 Dec 25 10:00 future\r", "future", false, 5,
                            "2025-12-25 10:00"}, // a time in the future is last year's
                           {"drwxr-xr-x   2 u g 4096 Jan  3  2024 My Folder", "My Folder", true,
                            4096, "2024-01-03 00:00"},
                           {"-rw-r--r--   1 u 77 Mar  1 09:05 no group", "no group", false, 77,
                            "2026-03-01 09:05"},
                           {"lrwxrwxrwx   1 u g 7 Feb  2  2025 link -> target", "link", false, 7,
                            "2025-02-02 00:00"},
                           {"12-11-26  03:18PM       <DIR>          Old Stuff", "Old Stuff", true,
                            0, "2026-12-11 15:18"},
                           {"01-02-99  12:05AM             1234567 dos.txt", "dos.txt", false,
                            1234567, "1999-01-02 00:05"}}) {
        const auto item = ParseListLine(c.line, now);
        ASSERT_TRUE(item) << c.line;
        EXPECT_EQ(item->Name, c.name);
        EXPECT_EQ(item->IsFolder, c.folder) << c.line;
        EXPECT_EQ(item->Size, c.size) << c.line;
        EXPECT_EQ(Date(item->Time), c.time) << c.line;
    }
}

TEST(FtpListingTest, HostileAndBrokenEntriesAreLeftOut) {
    const SystemTime now = Noon(2026, 12, 11);
    for (const std::string& line : std::vector<std::string>{
             "drwxr-xr-x 2 u g 4096 Dec 11 03:18 .", "drwxr-xr-x 2 u g 4096 Dec 11 03:18 ..",
             "-rw-r--r-- 1 u g 1 Dec 11 03:18 ../../etc/passwd",
             "-rw-r--r-- 1 u g 1 Dec 11 03:18 a/b",
             std::string("-rw-r--r-- 1 u g 1 Dec 11 03:18 nul\0x", 37), "total 12", "",
             "-rw-r--r-- 1 u g -5 Dec 11 03:18 negative", "-rw-r--r-- 1 u g 1 Foo 11 03:18 month"})
        EXPECT_FALSE(ParseListLine(line, now)) << line;
    const std::string listing = "type=cdir;modify=20261211031800; .\n"
                                "type=pdir; ..\n"
                                "type=file;size=18;modify=20261211031800; a file.txt\r\n"
                                "type=dir;modify=24001201000001; sub\n" // no time
                                "type=file;size=1; ../escape\n"
                                "type=OS.unix=symlink; link\n"
                                "garbage\n";
    const auto items = ParseFtpListing(listing, true, now);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].Name, "a file.txt");
    EXPECT_EQ(items[0].Size, 18);
    EXPECT_NE(items[0].Time, 0);
    EXPECT_EQ(items[1].Name, "sub");
    EXPECT_TRUE(items[1].IsFolder);
    EXPECT_EQ(items[1].Time, 0) << "a year out of range gives no time";
}
