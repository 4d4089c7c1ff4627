#include "files/ftp/FtpListing.h"

#include <cctype>
#include <charconv>
#include <ctime>

namespace kelvo {

namespace {

bool SafeName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// Splits off the next field separated by blanks; answers where the rest starts.
std::string_view NextField(std::string_view& rest) {
    size_t start = 0;
    while (start < rest.size() && rest[start] == ' ')
        ++start;
    size_t end = start;
    while (end < rest.size() && rest[end] != ' ')
        ++end;
    const std::string_view field = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return field;
}

bool Number(std::string_view text, int64_t& out) {
    if (text.empty())
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= 0;
}

int Month(std::string_view name) {
    static const char* months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                   "jul", "aug", "sep", "oct", "nov", "dec"};
    if (name.size() != 3)
        return 0;
    for (int i = 0; i < 12; ++i) {
        bool same = true;
        for (int k = 0; k < 3; ++k)
            same = same && std::tolower(static_cast<unsigned char>(name[k])) == months[i][k];
        if (same)
            return i + 1;
    }
    return 0;
}

TDateTime Encode(int year, int month, int day, int hour, int minute, int second) {
    TDateTime out = 0;
    return TryEncodeDateTime({year, month, day, hour, minute, second, 0}, out) ? out : 0;
}

// "-rw-r--r-- 1 owner group 18 Dec 11 03:18 name" (or a year instead of the time).
std::optional<FtpItem> UnixLine(std::string_view line, SystemTime now) {
    std::string_view rest = line;
    const std::string_view mode = NextField(rest);
    if (mode.size() < 10 || (mode[0] != '-' && mode[0] != 'd' && mode[0] != 'l'))
        return std::nullopt;
    NextField(rest); // links
    NextField(rest); // owner
    std::string_view group = NextField(rest);
    std::string_view sizeText = NextField(rest);
    int64_t size = 0;
    // Some servers leave the group out: then the "size" is a month.
    if (Month(sizeText) && Number(group, size)) {
        rest = std::string_view(sizeText.data(), line.data() + line.size() - sizeText.data());
    } else if (!Number(sizeText, size)) {
        return std::nullopt;
    }
    const int month = Month(NextField(rest));
    int64_t day = 0;
    if (!month || !Number(NextField(rest), day) || day < 1 || day > 31)
        return std::nullopt;
    const std::string_view when = NextField(rest);
    if (rest.size() < 2 || rest[0] != ' ')
        return std::nullopt;
    std::string_view name = rest.substr(1);
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    if (mode[0] == 'l') {
        const size_t arrow = name.find(" -> ");
        if (arrow != std::string_view::npos)
            name = name.substr(0, arrow);
    }
    const TDateTime today = DateTimeFromSystem(now);
    int year = DecodeDateTime(today).year, hour = 0, minute = 0;
    int64_t value = 0;
    if (when.size() == 5 && when[2] == ':') {
        int64_t h = 0, m = 0;
        if (!Number(when.substr(0, 2), h) || !Number(when.substr(3), m) || h > 23 || m > 59)
            return std::nullopt;
        hour = static_cast<int>(h);
        minute = static_cast<int>(m);
        // A time instead of a year means the last twelve months.
        if (Encode(year, month, static_cast<int>(day), hour, minute, 0) > today + 1)
            --year;
    } else if (Number(when, value) && value >= 1900 && value < 3000) {
        year = static_cast<int>(value);
    } else {
        return std::nullopt;
    }
    FtpItem item;
    item.Name = std::string(name);
    item.IsFolder = mode[0] == 'd';
    item.Size = size;
    item.Time = Encode(year, month, static_cast<int>(day), hour, minute, 0);
    return item;
}

// "12-11-26  03:18PM       <DIR>          name" or "... 1234 name".
std::optional<FtpItem> DosLine(std::string_view line) {
    std::string_view rest = line;
    const std::string_view date = NextField(rest);
    const std::string_view time = NextField(rest);
    const std::string_view kind = NextField(rest);
    int64_t month = 0, day = 0, year = 0, hour = 0, minute = 0, size = 0;
    if (date.size() < 8 || date[2] != '-' || date[5] != '-' || !Number(date.substr(0, 2), month) ||
        !Number(date.substr(3, 2), day) || !Number(date.substr(6), year))
        return std::nullopt;
    if (time.size() != 7 || time[2] != ':' || !Number(time.substr(0, 2), hour) ||
        !Number(time.substr(3, 2), minute) || hour < 1 || hour > 12)
        return std::nullopt;
    const bool pm = time[5] == 'P' || time[5] == 'p';
    hour = hour % 12 + (pm ? 12 : 0);
    const bool folder = kind == "<DIR>";
    if (!folder && !Number(kind, size))
        return std::nullopt;
    if (rest.size() < 2)
        return std::nullopt;
    std::string_view name = rest.substr(1);
    while (!name.empty() && name.front() == ' ')
        name.remove_prefix(1);
    if (year < 100)
        year += year < 70 ? 2000 : 1900;
    FtpItem item;
    item.Name = std::string(name);
    item.IsFolder = folder;
    item.Size = size;
    item.Time = Encode(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                       static_cast<int>(hour), static_cast<int>(minute), 0);
    return item;
}

} // namespace

std::optional<FtpItem> ParseListLine(std::string_view line, SystemTime now) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    std::optional<FtpItem> item = !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))
                                      ? DosLine(line)
                                      : UnixLine(line, now);
    if (item && !SafeName(item->Name))
        return std::nullopt;
    return item;
}

// "modify=20261211031800;size=18;type=file; name": facts, then a space, then the name.
std::optional<FtpItem> ParseMlsdLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    const size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return std::nullopt;
    FtpItem item;
    item.Name = std::string(line.substr(space + 1));
    std::string_view facts = line.substr(0, space);
    std::string type;
    while (!facts.empty()) {
        const size_t end = std::min(facts.find(';'), facts.size());
        const std::string_view fact = facts.substr(0, end);
        facts.remove_prefix(std::min(end + 1, facts.size()));
        const size_t equals = fact.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string key(fact.substr(0, equals));
        for (char& c : key)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string_view value = fact.substr(equals + 1);
        if (key == "type") {
            type.assign(value);
            for (char& c : type)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (key == "size" && !Number(value, item.Size)) {
            return std::nullopt;
        } else if (key == "modify" && value.size() >= 14) {
            int64_t parts[6] = {};
            const int widths[6] = {4, 2, 2, 2, 2, 2};
            size_t at = 0;
            bool ok = true;
            for (int i = 0; i < 6; ++i, at += static_cast<size_t>(widths[i - 1]))
                ok = ok && Number(value.substr(at, static_cast<size_t>(widths[i])), parts[i]);
            // Far-off years would overflow the clock's range.
            ok = ok && parts[0] >= 1970 && parts[0] <= 2200 && parts[1] >= 1 && parts[1] <= 12 &&
                 parts[2] >= 1 && parts[2] <= 31 && parts[3] <= 23 && parts[4] <= 59 &&
                 parts[5] <= 60;
            if (ok) {
                std::tm utc{};
                utc.tm_year = static_cast<int>(parts[0]) - 1900;
                utc.tm_mon = static_cast<int>(parts[1]) - 1;
                utc.tm_mday = static_cast<int>(parts[2]);
                utc.tm_hour = static_cast<int>(parts[3]);
                utc.tm_min = static_cast<int>(parts[4]);
                utc.tm_sec = static_cast<int>(parts[5]);
                const std::time_t seconds = timegm(&utc);
                if (seconds != -1)
                    item.Time = DateTimeFromSystem(std::chrono::system_clock::from_time_t(seconds));
            }
        }
    }
    if (type != "file" && type != "dir")
        return std::nullopt; // cdir, pdir, links and the like
    item.IsFolder = type == "dir";
    if (!SafeName(item.Name))
        return std::nullopt;
    return item;
}

std::vector<FtpItem> ParseFtpListing(std::string_view text, bool mlsd, SystemTime now) {
    std::vector<FtpItem> items;
    while (!text.empty()) {
        const size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        auto item = mlsd ? ParseMlsdLine(line) : ParseListLine(line, now);
        if (item)
            items.push_back(std::move(*item));
    }
    return items;
}

} // namespace kelvo
