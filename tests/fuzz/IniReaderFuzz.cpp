// Any bytes as an options file: no crash, every key readable, and a write keeps
// the key readable with the value written.
#include "app/IniFile.h"
#include "app/Options.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvo;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    IniFile ini;
    ini.LoadFromString(text);
    for (const TOptions::Field& field : TOptions::Fields()) {
        ini.ReadInteger(field.Section, field.Key, 0);
        ini.ReadBool(field.Section, field.Key, true);
    }
    ini.Write("GENERAL", "Password", "p4ss");
    IniFile again;
    again.LoadFromString(ini.SaveToString());
    if (again.Read("GENERAL", "Password") != "p4ss")
        std::abort();
    ParseUselessFiles(text);
    return 0;
}
