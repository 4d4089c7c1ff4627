#include "engine/Masks.h"

#include <cctype>

namespace kelvo {

namespace {

char Upper(char c) {
    return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

bool Blank(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

bool WildcardMatch(std::string_view name, std::string_view pattern) {
    // Iterative with one backtrack point: linear for every "*" pattern.
    size_t n = 0, p = 0, star = std::string_view::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (p < pattern.size() &&
                   (pattern[p] == '?' || Upper(pattern[p]) == Upper(name[n]))) {
            ++n;
            ++p;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<std::string> SplitMaskList(std::string_view list) {
    std::vector<std::string> patterns;
    if (list.empty())
        return patterns;
    size_t start = 0;
    for (;;) {
        const size_t end = list.find(';', start);
        patterns.emplace_back(list.substr(start, end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return patterns;
}

bool MatchesAny(std::string_view name, const std::vector<std::string>& patterns) {
    for (const std::string& pattern : patterns)
        if (WildcardMatch(name, pattern))
            return true;
    return false;
}

std::vector<std::string> SplitFilterList(std::string_view list) {
    if (list.find(';') == std::string_view::npos)
        return {std::string(list)};
    std::vector<std::string> parts;
    size_t at = 0;
    auto skipBlanks = [&] {
        while (at < list.size() && Blank(list[at]))
            ++at;
    };
    skipBlanks();
    while (at < list.size()) {
        std::string part;
        if (list[at] == '"') {
            for (++at; at < list.size(); ++at) {
                if (list[at] == '"' && at + 1 < list.size() && list[at + 1] == '"')
                    part += list[++at]; // a doubled quote stands for one
                else if (list[at] == '"')
                    break;
                else
                    part += list[at];
            }
            if (at < list.size())
                ++at;
        } else {
            while (at < list.size() && list[at] != ';' && !Blank(list[at]))
                part += list[at++];
        }
        parts.push_back(std::move(part));
        skipBlanks();
        if (at < list.size() && list[at] == ';') {
            ++at;
            skipBlanks();
            if (at == list.size())
                parts.emplace_back(); // a trailing ";"
        }
    }
    return parts;
}

bool InFilterList(std::string_view name, std::string_view list) {
    if (list.find_first_of("*?") == std::string_view::npos)
        return list.find(name) != std::string_view::npos;
    for (const std::string& pattern : SplitFilterList(list))
        if (WildcardMatch(name, pattern))
            return true;
    return false;
}

std::string TemporaryMasks(const std::vector<UselessFile>& useless) {
    std::string text;
    for (const UselessFile& entry : useless) {
        if (!text.empty() && text.back() != ';')
            text += ';';
        text += entry.Mask;
    }
    return text;
}

bool FileFilter::Accepts(std::string_view name) const {
    bool accepted = true;
    if (!Inclusion.empty())
        accepted = InFilterList(name, Inclusion);
    if (!Exclusion.empty())
        accepted = accepted && !InFilterList(name, Exclusion);
    if (ExcludeTemp)
        accepted = accepted && !InFilterList(name, Temporary);
    return accepted;
}

} // namespace kelvo
