#pragma once

#include "app/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace kelvo {

// The fixed, locale-independent formats of every date, time and number that
// task files store and run-time texts show: "." decimals, no grouping,
// "dd/MM/yyyy", "HH:mm", "HH:mm:ss".
namespace TaskFileFormats {

enum class DateOrder { DayMonthYear, MonthDayYear };

std::string FormatDate(TDateTime value);      // dd/MM/yyyy
std::string FormatShortTime(TDateTime value); // HH:mm
std::string FormatLongTime(TDateTime value);  // HH:mm:ss
std::string FormatDateTime(TDateTime value);  // dd/MM/yyyy HH:mm:ss (time left out at midnight)

// Shortest general form with at most 15 significant digits: 0.1, 45678.5416666667, 1E20.
std::string FormatNumber(double value);
std::optional<double> ParseNumber(std::string_view text);

// Day, month and year separated by "/"; a two-digit year is taken within
// fifty years of 2000. The result has no time part.
std::optional<TDateTime> ParseDate(std::string_view text, DateOrder order);
// "HH:mm" or "HH:mm:ss"; the result is the fraction of a day.
std::optional<TDateTime> ParseTime(std::string_view text);

} // namespace TaskFileFormats

} // namespace kelvo
