#pragma once

#include "app/OSInfo.h"
#include "platform/SessionGuard.h"

#include <optional>
#include <string>
#include <vector>

namespace kelvo {

// The first decision of the resident program, before it reads any file: end
// running copies when asked to, and either become the resident instance or
// wake the one that runs and end. Answers the exit code when this process must
// end, nothing when it is now the resident instance.
std::optional<int> BeginResidentProgram(const std::vector<std::string>& arguments,
                                        SessionGuard& guard, TOSInfoClass& os);

// The file names of the program's executables, whose processes "/UNINSTALL" ends.
constexpr const char* kResidentExecutable = "kelvobackup";
constexpr const char* kCommandLineExecutable = "kelvobackup-cli";

} // namespace kelvo
