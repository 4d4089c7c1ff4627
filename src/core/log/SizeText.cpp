#include "log/SizeText.h"

#include "log/MessageTable.h"

#include <clocale>
#include <cmath>
#include <langinfo.h>
#include <locale.h>

namespace kelvo {

namespace {

// value rounded to hundredths, printed without trailing zeros
std::string Hundredths(uint64_t bytes, uint64_t unit, char separator) {
    const long double exact = static_cast<long double>(bytes) / static_cast<long double>(unit);
    const uint64_t hundredths = static_cast<uint64_t>(std::llround(exact * 100.0L));
    std::string text = std::to_string(hundredths / 100);
    uint64_t fraction = hundredths % 100;
    if (fraction != 0) {
        text += separator;
        text += static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0)
            text += static_cast<char>('0' + fraction % 10);
    }
    return text;
}

} // namespace

std::string SizeText(uint64_t bytes, char decimalSeparator) {
    constexpr uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    if (bytes == 0)
        return "0 bytes";
    if (bytes < kKB)
        return std::to_string(bytes) + " bytes";
    if (bytes < kMB)
        return Hundredths(bytes, kKB, decimalSeparator) + Msg("_kb");
    if (bytes < kGB)
        return Hundredths(bytes, kMB, decimalSeparator) + Msg("_mb");
    return Hundredths(bytes, kGB, decimalSeparator) + Msg("_gb");
}

std::string SizeText(uint64_t bytes) {
    return SizeText(bytes, UserDecimalSeparator());
}

char UserDecimalSeparator() {
    static const char separator = [] {
        char result = '.';
        locale_t user = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
        if (user != static_cast<locale_t>(0)) {
            const char* radix = nl_langinfo_l(RADIXCHAR, user);
            if (radix && radix[0] && !radix[1])
                result = radix[0];
            freelocale(user);
        }
        return result;
    }();
    return separator;
}

} // namespace kelvo
