// Any bytes as a server's listing, in both formats: the parser answers items
// whose names stay inside their folder, and never crashes or loops.
#include "files/ftp/FtpListing.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const SystemTime now = std::chrono::system_clock::from_time_t(1765450000);
    for (bool mlsd : {false, true})
        for (const FtpItem& item : ParseFtpListing(text, mlsd, now))
            if (item.Name.empty() || item.Name == "." || item.Name == ".." ||
                item.Name.find('/') != std::string::npos ||
                item.Name.find('\0') != std::string::npos || item.Size < 0)
                std::abort();
    return 0;
}
