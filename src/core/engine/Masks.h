#pragma once

#include "app/Options.h"

#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// Case-insensitive wildcard match: "*" any run of characters, "?" exactly one.
bool WildcardMatch(std::string_view name, std::string_view pattern);

// The folder search's lists: patterns separated by ";" only (a pattern may
// hold spaces; an empty entry matches only an empty name).
std::vector<std::string> SplitMaskList(std::string_view list);
bool MatchesAny(std::string_view name, const std::vector<std::string>& patterns);

// The file filter's membership test: a list with wildcards is split at ";"
// and at runs of blanks (a part in double quotes taken whole, a trailing ";"
// adding an empty pattern) and matched; a list without any is a substring test.
bool InFilterList(std::string_view name, std::string_view list);
std::vector<std::string> SplitFilterList(std::string_view list);

// The options' temporary and useless-file masks joined with ";".
std::string TemporaryMasks(const std::vector<UselessFile>& useless);

// The task-wide file filter every file of a backup walk passes through.
struct FileFilter {
    std::string Inclusion, Exclusion, Temporary;
    bool ExcludeTemp = false;
    bool Accepts(std::string_view name) const;
};

} // namespace kelvo
