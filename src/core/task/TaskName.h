#pragma once

#include <string>

namespace kelvo {

// Raises an error with the user-visible reason when name cannot be a task
// name: it names the task file, so it must stay inside the tasks folder.
void ValidateTaskName(const std::string& name);

// A new GUID in registry text form: {8-4-4-4-12 upper-case hexadecimal digits}.
std::string NewGuidText();

} // namespace kelvo
