#include "Commands.h"

#include "app/StartupSettings.h"
#include "platform/RegistryStore.h"

#include <cstdlib>

namespace kelvo::cli {

void EstablishProgram(const std::string& home) {
    if (!home.empty())
        ::setenv("KELVOBACKUP_HOME", home.c_str(), 1);
    CurrentStartup() = StartupSettings::Establish({}, TheRegistry());
}

} // namespace kelvo::cli
