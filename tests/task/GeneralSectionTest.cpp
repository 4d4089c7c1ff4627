#include "task/GeneralSection.h"
#include "app/TaskFileFormats.h"
#include "task/TaskFileVersion.h"

#include <gtest/gtest.h>

using namespace kelvo;

namespace {

// A GENERAL element with the given children, each "name" or "name=value".
TXMLNodePtr General(const std::vector<std::pair<std::string, std::string>>& children) {
    auto general = std::make_shared<TXMLNode>("GENERAL");
    for (const auto& [name, value] : children)
        TXMLParser::AddChild(general.get(), name, value);
    return general;
}

TmGeneral Read(const TXMLNodePtr& general) {
    TmGeneral model;
    GeneralSection::Read(*general, model);
    return model;
}

// Forty-six children in file order, written from the defaults.
TXMLNodePtr Written(const TmGeneral& model, bool force = false) {
    auto general = std::make_shared<TXMLNode>("GENERAL");
    GeneralSection::Write(model, *general, force);
    return general;
}

} // namespace

TEST(GeneralSectionTest, WritesTheFortySixChildrenInOrderWithTheirAttributes) {
    TmGeneral model;
    model.Name = "Docs";
    model.WorkingNow = true;
    model.KBT_Version = "0.9";
    model.SOneTimeRunDate = 46000;
    model.SOneTimeRunTime = 0.75;
    model.OnErrorPlay = true;
    const TXMLNodePtr general = Written(model);
    ASSERT_EQ(general->Children.size(), GeneralSection::kChildCount);
    const char* const names[] = {"Type",
                                 "Priority",
                                 "Enabled",
                                 "Name",
                                 "ArchiveFolderName",
                                 "Description",
                                 "Email",
                                 "NextRunTime",
                                 "LastRunTime",
                                 "SetCollision",
                                 "ItemCollision",
                                 "SyncType",
                                 "SyncCollision",
                                 "StartRunPath",
                                 "EndRunPath",
                                 "OnError-show",
                                 "OnWarning-show",
                                 "OnSummary-show",
                                 "SNotScheduled",
                                 "SOneTimeRun",
                                 "SWindowsStartup",
                                 "SWindowsShutDown",
                                 "SFolderChange",
                                 "SDays",
                                 "SDays_days",
                                 "SDays_when",
                                 "SDays_hour",
                                 "SWeeks",
                                 "SWeeks_days",
                                 "SWeeks_when",
                                 "SWeeks_hour",
                                 "SWork_days",
                                 "SRunMissed",
                                 "CreateDate",
                                 "WorkingNow",
                                 "FormatDisk",
                                 "Split",
                                 "MaxVolum",
                                 "Complementary",
                                 "EraseCD",
                                 "QuickErase",
                                 "EnabledScheduler",
                                 "KBT_Version",
                                 "TaskGUID",
                                 "ShutDown",
                                 "LogOff"};
    for (size_t i = 0; i < GeneralSection::kChildCount; ++i)
        EXPECT_EQ(general->Children[i]->Name, names[i]) << i;
    auto child = [&](size_t i) { return general->Children[i].get(); };
    auto attrs = [&](size_t i) {
        std::string all;
        for (const TXMLNodeAttr& a : child(i)->Attributes)
            all += a.Name + "=" + a.Value.ToString() + " ";
        return all;
    };
    EXPECT_EQ(attrs(0), "bCount=0 rCount=0 ");
    EXPECT_EQ(attrs(9), "purge=3 ");
    EXPECT_EQ(attrs(13), "wait=false ");
    EXPECT_EQ(attrs(15), "play=true email=false ");
    EXPECT_EQ(attrs(19), "date=46000 time=0.75 ");
    EXPECT_EQ(child(0)->Value.ToString(), "1");
    EXPECT_EQ(child(2)->Value.ToString(), "true");
    EXPECT_EQ(child(3)->Value.ToString(), "Docs");
    EXPECT_EQ(child(34)->Value.ToString(), "false"); // WorkingNow is never stored true
    EXPECT_EQ(child(42)->Value.ToString(), "1.0.1");
    EXPECT_EQ(child(41)->Value.ToString(), "true");
}

TEST(GeneralSectionTest, RoundTripsEveryField) {
    TmGeneral model;
    model.Type = 0;
    model.bCount = 12;
    model.Name = "Mail & Docs <2026>";
    model.SetCollision = "stack";
    model.purge = 5;
    model.OnWarningShow = "Tray";
    model.OnSummaryEmail = true;
    model.SNotScheduled = false;
    model.SWeeks = true;
    model.SWeeks_days = 135;
    model.SWeeks_hour = 0.604166666666667;
    model.CreateDate = 46002.5;
    model.MaxVolum = 4700000000;
    model.QuickErase = false;
    model.EnabledScheduler = false;
    model.TaskGUID = "{01234567-89AB-CDEF-0123-456789ABCDEF}";
    model.LogOff = true;
    TmGeneral again = Read(Written(model));
    EXPECT_EQ(again.Type, 0);
    EXPECT_EQ(again.bCount, 12);
    EXPECT_EQ(again.Name, model.Name);
    EXPECT_EQ(again.SetCollision, "stack");
    EXPECT_EQ(again.purge, 5);
    EXPECT_EQ(again.OnWarningShow, "Tray");
    EXPECT_TRUE(again.OnSummaryEmail);
    EXPECT_FALSE(again.SNotScheduled);
    EXPECT_EQ(again.SWeeks_days, 135);
    EXPECT_DOUBLE_EQ(again.SWeeks_hour, 0.604166666666667);
    EXPECT_DOUBLE_EQ(again.CreateDate, 46002.5);
    EXPECT_EQ(again.MaxVolum, 4700000000);
    EXPECT_FALSE(again.QuickErase);
    EXPECT_FALSE(again.EnabledScheduler);
    EXPECT_TRUE(Read(Written(model, true)).EnabledScheduler);
    EXPECT_EQ(again.TaskGUID, model.TaskGUID);
    EXPECT_TRUE(again.LogOff);
}

TEST(GeneralSectionTest, ReadsByPositionNotByName) {
    // Name and Priority swapped: the values land by position.
    TmGeneral model = Read(
        General({{"Type", "0"}, {"Name", "Docs"}, {"Enabled", "false"}, {"Priority", "High"}}));
    EXPECT_EQ(model.Type, 0);
    EXPECT_EQ(model.Priority, "Docs");
    EXPECT_FALSE(model.Enabled);
    EXPECT_EQ(model.Name, "High");
    EXPECT_EQ(model.ArchiveFolderName, "default"); // fewer children: defaults stay
    EXPECT_EQ(model.KBT_Version, "1.0.1");
}

TEST(GeneralSectionTest, BooleansAreTrueOnlyForTheExactWord) {
    for (const char* text : {"True", "TRUE", "1", "yes", " true"})
        EXPECT_FALSE(Read(General({{"Type", "1"}, {"Priority", "x"}, {"Enabled", text}})).Enabled)
            << text;
}

TEST(GeneralSectionTest, AttributesAreFoundIgnoringCaseAndOnlyWhenPresent) {
    TXMLNodePtr general = General({{"Type", "0"}});
    TXMLParser::AddAttribute(general->Children[0].get(), "BCOUNT", "7");
    TmGeneral model = Read(general);
    EXPECT_EQ(model.bCount, 7);
    EXPECT_EQ(model.rCount, 0);
}

TEST(GeneralSectionTest, AConversionErrorEndsReadingAndKeepsWhatWasRead) {
    TXMLNodePtr general = Written(TmGeneral{});
    general->Children[3]->Value = std::string("Docs");
    general->Children[5]->Value = std::string("kept");
    general->Children[9]->Value = std::string("stack");
    general->Children[9]->Attributes[0].Value = std::string("many"); // purge: not an integer
    general->Children[10]->Value = std::string("version");
    TmGeneral model;
    EXPECT_THROW(GeneralSection::Read(*general, model), TaskFileConversionError);
    EXPECT_EQ(model.Name, "Docs");
    EXPECT_EQ(model.Description, "kept");
    EXPECT_EQ(model.SetCollision, "stack"); // the element's text came before its attribute
    EXPECT_EQ(model.purge, 3);
    EXPECT_EQ(model.ItemCollision, "full"); // after the error: default
}

TEST(GeneralSectionTest, TimesKeepOnlyTheirFraction) {
    TXMLNodePtr general = Written(TmGeneral{});
    general->Children[19]->Attributes[1].Value = std::string("0.604166666666667");
    general->Children[26]->Value = std::string("38717.5");
    const TmGeneral model = Read(general);
    EXPECT_EQ(DecodeDateTime(model.SOneTimeRunTime).hour, 14);
    EXPECT_EQ(DecodeDateTime(model.SOneTimeRunTime).minute, 30);
    EXPECT_DOUBLE_EQ(model.SDays_hour, 0.5);
}

TEST(GeneralSectionTest, OlderVersionsStoredDatesAndTimesAsText) {
    for (const char* version : {"1.0.0", "0.9.9", "1.0", "1.0.1", "1.1"}) {
        TXMLNodePtr general = Written(TmGeneral{});
        general->Children[42]->Value = std::string(version);
        general->Children[19]->Attributes[0].Value = std::string("12/31/2025"); // MM/dd fallback
        general->Children[19]->Attributes[1].Value = std::string("14:30");
        general->Children[26]->Value = std::string("07:15:30");
        general->Children[30]->Value = std::string("not a time");
        general->Children[33]->Value = std::string("05/02/2024");
        TmGeneral model;
        const bool legacy = UsesLegacyDateTexts(version);
        if (!legacy) {
            EXPECT_THROW(GeneralSection::Read(*general, model), TaskFileConversionError) << version;
            continue;
        }
        GeneralSection::Read(*general, model);
        EXPECT_EQ(TaskFileFormats::FormatDate(model.SOneTimeRunDate), "31/12/2025") << version;
        EXPECT_EQ(TaskFileFormats::FormatLongTime(model.SOneTimeRunTime), "14:30:00");
        EXPECT_EQ(TaskFileFormats::FormatLongTime(model.SDays_hour), "07:15:30");
        EXPECT_EQ(model.SWeeks_hour, 0);
        EXPECT_EQ(TaskFileFormats::FormatDate(model.CreateDate), "05/02/2024"); // dd/MM first
    }
}

TEST(GeneralSectionTest, LegacyStackChildrenAreReadButNeverWritten) {
    TXMLNodePtr general = General({{"Type", "1"}});
    for (int i = 1; i < 9; ++i) // children 1 to 8
        TXMLParser::AddChild(general.get(), "x", "");
    TXMLNode* collision = TXMLParser::AddChild(general.get(), "SetCollision", "stack");
    TXMLParser::AddChild(collision, "stack", "Docs 1");
    TXMLParser::AddChild(collision, "other", "ignored");
    TXMLParser::AddChild(collision, "stack", "Docs 2");
    general->Children[1]->Value = std::string("Normal");
    const TmGeneral model = Read(general);
    EXPECT_EQ(model.legacyStacks, (std::vector<std::string>{"Docs 1", "Docs 2"}));
    EXPECT_TRUE(Written(model)->Children[9]->Children.empty());
}

TEST(TaskFileVersionTest, ComparesPartByPartAsNumbers) {
    const std::tuple<const char*, const char*, int> cases[] = {
        {"1.0.1", "1.0.1", 0},  {"1.0", "1.0.0", 0}, {"1.0.0", "1.0.1", -1},
        {"0.9.9", "1.0.1", -1}, {"1.1", "1.0.1", 1}, {"1.0.10", "1.0.9", 1},
        {"", "0", 0},           {"2.x", "2.0", 0},   {"1.0.1.1", "1.0.1", 1}};
    for (const auto& [a, b, expected] : cases)
        EXPECT_EQ(CompareVersions(a, b), expected) << a << " vs " << b;
}
