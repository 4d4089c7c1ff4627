#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

enum LogKind : int {
    kLogInfo = 0,
    kLogWarning = 1,
    kLogError = 2,
    kLogCrash = 3,
    kLogStatus = 4,
    kLogSummary = 5,
};

// The markers that open and close a run in a log.
constexpr std::string_view kRunStartMarker = "startg";
constexpr std::string_view kRunEndMarker = "endg";

// One entry of a task log; its line is "channel|kind|HH:mm:ss|text|".
struct TDMessage {
    int Channel = 0;
    int Kind = kLogInfo;
    std::string Time;
    std::string Text;

    std::string Line() const; // without the line end
    bool operator==(const TDMessage&) const = default;
};

// The entries of a log file up to the first line whose channel or kind is not
// a number; an unreadable file gives none. A text ends at its first "|".
std::vector<TDMessage> ReadLogFile(const std::string& path);
std::vector<TDMessage> ParseLog(std::string_view text);

// How the log window shows an entry.
struct LogViewLine {
    std::string Text;
    uint32_t Colour; // 0xRRGGBB
};
LogViewLine ViewLine(const TDMessage& entry, bool showTimeStamp);

} // namespace kelvo
