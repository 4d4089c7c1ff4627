#include "files/zip/ZipFormat.h"

#include <ctime>

namespace kelvo::zip {

DosTime ToDosTime(SystemTime when) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
    localtime_r(&seconds, &local);
    int year = local.tm_year + 1900;
    if (year < 1980)
        return {0, static_cast<uint16_t>((0 << 9) | (1 << 5) | 1)}; // 1 January 1980
    if (year > 2107)
        year = 2107;
    DosTime dos;
    dos.time =
        static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
    dos.date =
        static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    return dos;
}

} // namespace kelvo::zip
