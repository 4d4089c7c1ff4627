// Any bytes as a task or project file: no crash, and what is read survives a
// save and a second load unchanged.
#include "task/XMLParser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    TXMLParser parser;
    parser.LoadFromString(std::string_view(reinterpret_cast<const char*>(data), size));
    parser.FindNode("b", {"a", "KBT"});
    const std::string saved = parser.SaveToString();
    TXMLParser again;
    again.LoadFromString(saved);
    if (again.SaveToString() != saved)
        std::abort();
    return 0;
}
