// Any bytes as a registry hive: no crash, and a parsed hive serializes to a
// text that parses to the same hive.
#include "platform/RegistryHive.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    RegistryHive hive =
        RegistryHive::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string text = hive.Serialize();
    if (RegistryHive::Parse(text).Serialize() != text)
        std::abort();
    return 0;
}
