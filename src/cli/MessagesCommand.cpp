#include "Commands.h"
#include "Json.h"

#include "log/MessageTable.h"

#include <iostream>

namespace kelvo::cli {

int RunMessages() {
    for (const MessageTable::Entry& entry : MessageTable::Instance().AllTexts())
        std::cout << "{\"key\": " << JsonString(entry.key)
                  << ", \"text\": " << JsonString(entry.text) << "}\n";
    return kExitSuccess;
}

} // namespace kelvo::cli
