#include "task/GeneralSection.h"

#include "app/TaskFileFormats.h"
#include "task/TaskFileVersion.h"

#include <variant>

namespace kelvo::GeneralSection {

namespace {

using TaskFileFormats::DateOrder;

// How a value is stored: Date and Time are day numbers (texts in old files).
enum class Kind { Int, Text, Bool, Date, Time };

using Member = std::variant<int64_t TmGeneral::*, std::string TmGeneral::*, bool TmGeneral::*,
                            double TmGeneral::*>;

struct Attribute {
    const char* name;
    Kind kind;
    Member member;
};

struct Child {
    const char* name;
    Kind kind;
    Member member;
    std::vector<Attribute> attributes;
};

using G = TmGeneral;

// The children in file order; the position is the contract.
const std::vector<Child>& Children() {
    static const std::vector<Child> children = {
        {"Type",
         Kind::Int,
         &G::Type,
         {{"bCount", Kind::Int, &G::bCount}, {"rCount", Kind::Int, &G::rCount}}},
        {"Priority", Kind::Text, &G::Priority, {}},
        {"Enabled", Kind::Bool, &G::Enabled, {}},
        {"Name", Kind::Text, &G::Name, {}},
        {"ArchiveFolderName", Kind::Text, &G::ArchiveFolderName, {}},
        {"Description", Kind::Text, &G::Description, {}},
        {"Email", Kind::Text, &G::Email, {}},
        {"NextRunTime", Kind::Text, &G::NextRunTime, {}},
        {"LastRunTime", Kind::Text, &G::LastRunTime, {}},
        {"SetCollision", Kind::Text, &G::SetCollision, {{"purge", Kind::Int, &G::purge}}},
        {"ItemCollision", Kind::Text, &G::ItemCollision, {}},
        {"SyncType", Kind::Text, &G::SyncType, {}},
        {"SyncCollision", Kind::Text, &G::SyncCollision, {}},
        {"StartRunPath", Kind::Text, &G::StartRunPath, {{"wait", Kind::Bool, &G::StartRunWait}}},
        {"EndRunPath", Kind::Text, &G::EndRunPath, {{"wait", Kind::Bool, &G::EndRunWait}}},
        {"OnError-show",
         Kind::Text,
         &G::OnErrorShow,
         {{"play", Kind::Bool, &G::OnErrorPlay}, {"email", Kind::Bool, &G::OnErrorEmail}}},
        {"OnWarning-show",
         Kind::Text,
         &G::OnWarningShow,
         {{"play", Kind::Bool, &G::OnWarningPlay}, {"email", Kind::Bool, &G::OnWarningEmail}}},
        {"OnSummary-show",
         Kind::Text,
         &G::OnSummaryShow,
         {{"play", Kind::Bool, &G::OnSummaryPlay}, {"email", Kind::Bool, &G::OnSummaryEmail}}},
        {"SNotScheduled", Kind::Bool, &G::SNotScheduled, {}},
        {"SOneTimeRun",
         Kind::Text,
         &G::SOneTimeRun,
         {{"date", Kind::Date, &G::SOneTimeRunDate}, {"time", Kind::Time, &G::SOneTimeRunTime}}},
        {"SWindowsStartup", Kind::Bool, &G::SWindowsStartup, {}},
        {"SWindowsShutDown", Kind::Bool, &G::SWindowsShutDown, {}},
        {"SFolderChange", Kind::Bool, &G::SFolderChange, {}},
        {"SDays", Kind::Bool, &G::SDays, {}},
        {"SDays_days", Kind::Int, &G::SDays_days, {}},
        {"SDays_when", Kind::Int, &G::SDays_when, {}},
        {"SDays_hour", Kind::Time, &G::SDays_hour, {}},
        {"SWeeks", Kind::Bool, &G::SWeeks, {}},
        {"SWeeks_days", Kind::Int, &G::SWeeks_days, {}},
        {"SWeeks_when", Kind::Int, &G::SWeeks_when, {}},
        {"SWeeks_hour", Kind::Time, &G::SWeeks_hour, {}},
        {"SWork_days", Kind::Int, &G::SWork_days, {}},
        {"SRunMissed", Kind::Bool, &G::SRunMissed, {}},
        {"CreateDate", Kind::Date, &G::CreateDate, {}},
        {"WorkingNow", Kind::Bool, &G::WorkingNow, {}},
        {"FormatDisk", Kind::Bool, &G::FormatDisk, {}},
        {"Split", Kind::Bool, &G::Split, {}},
        {"MaxVolum", Kind::Int, &G::MaxVolum, {}},
        {"Complementary", Kind::Bool, &G::Complementary, {}},
        {"EraseCD", Kind::Bool, &G::EraseCD, {}},
        {"QuickErase", Kind::Bool, &G::QuickErase, {}},
        {"EnabledScheduler", Kind::Bool, &G::EnabledScheduler, {}},
        {"KBT_Version", Kind::Text, &G::KBT_Version, {}},
        {"TaskGUID", Kind::Text, &G::TaskGUID, {}},
        {"ShutDown", Kind::Bool, &G::ShutDown, {}},
        {"LogOff", Kind::Bool, &G::LogOff, {}},
    };
    return children;
}

constexpr size_t kVersionChild = 42;

using TaskFileValues::ToInteger;
using TaskFileValues::ToNumber;

// Old files wrote dates as "dd/MM/yyyy" (or "MM/dd/yyyy") and times as "HH:mm[:ss]".
double LegacyValue(Kind kind, const std::string& text) {
    if (kind == Kind::Time)
        return TaskFileFormats::ParseTime(text).value_or(0);
    auto date = TaskFileFormats::ParseDate(text, DateOrder::DayMonthYear);
    if (!date)
        date = TaskFileFormats::ParseDate(text, DateOrder::MonthDayYear);
    return date.value_or(0);
}

void Assign(TmGeneral& general, Kind kind, const Member& member, const std::string& text,
            bool legacy) {
    std::visit(
        [&](auto field) {
            using T = std::decay_t<decltype(general.*field)>;
            if constexpr (std::is_same_v<T, int64_t>)
                general.*field = ToInteger(text);
            else if constexpr (std::is_same_v<T, bool>)
                general.*field = TaskFileValues::ToBool(text);
            else if constexpr (std::is_same_v<T, double>)
                general.*field = legacy               ? LegacyValue(kind, text)
                                 : kind == Kind::Time ? TimeOf(ToNumber(text))
                                                      : ToNumber(text);
            else
                general.*field = text;
        },
        member);
}

std::string Text(const TmGeneral& general, const Member& member) {
    return std::visit(
        [&](auto field) -> std::string {
            using T = std::decay_t<decltype(general.*field)>;
            if constexpr (std::is_same_v<T, int64_t>)
                return std::to_string(general.*field);
            else if constexpr (std::is_same_v<T, bool>)
                return TaskFileValues::BoolText(general.*field);
            else if constexpr (std::is_same_v<T, double>)
                return TaskFileFormats::FormatNumber(general.*field);
            else
                return general.*field;
        },
        member);
}

void ReadChild(const Child& child, const TXMLNode& node, TmGeneral& general, bool legacy) {
    Assign(general, child.kind, child.member, node.Value.ToString(), legacy);
    for (const Attribute& attribute : child.attributes)
        if (TXMLParser::HasAttribute(&node, attribute.name))
            Assign(general, attribute.kind, attribute.member,
                   TXMLParser::GetAttribute(&node, attribute.name).ToString(), legacy);
    if (child.member == Member(&G::SetCollision))
        for (const TXMLNodePtr& stack : node.Children)
            if (stack->Name == "stack")
                general.legacyStacks.push_back(stack->Value.ToString());
}

} // namespace

void Read(const TXMLNode& element, TmGeneral& general) {
    if (const TXMLNode* version = TXMLParser::ChildAt(&element, kVersionChild))
        general.KBT_Version = version->Value.ToString();
    const bool legacy = UsesLegacyDateTexts(general.KBT_Version);
    const std::vector<Child>& children = Children();
    for (size_t i = 0; i < children.size(); ++i)
        if (const TXMLNode* node = TXMLParser::ChildAt(&element, i))
            ReadChild(children[i], *node, general, legacy);
}

void Write(const TmGeneral& general, TXMLNode& element, bool forceScheduler) {
    TmGeneral stored = general;
    stored.WorkingNow = false;
    stored.KBT_Version = std::string(kTaskFileVersion);
    if (forceScheduler)
        stored.EnabledScheduler = true;
    for (const Child& child : Children()) {
        TXMLNode* node = TXMLParser::AddChild(&element, child.name, Text(stored, child.member));
        for (const Attribute& attribute : child.attributes)
            TXMLParser::AddAttribute(node, attribute.name, Text(stored, attribute.member));
    }
}

void Visit(const TmGeneral& general,
           const std::function<void(const std::string& key, const Value& value)>& visitor) {
    auto value = [&](const Member& member) {
        return std::visit([&](auto field) { return Value(general.*field); }, member);
    };
    for (const Child& child : Children()) {
        visitor(child.name, value(child.member));
        for (const Attribute& attribute : child.attributes)
            visitor(std::string(child.name) + "." + attribute.name, value(attribute.member));
    }
}

} // namespace kelvo::GeneralSection
