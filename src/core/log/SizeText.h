#pragma once

#include <cstdint>
#include <string>

namespace kelvo {

// "0 bytes", "512 bytes", "1.44 MB": the size text of reports and editors.
// decimalSeparator is the user's own (see UserDecimalSeparator).
std::string SizeText(uint64_t bytes, char decimalSeparator);
std::string SizeText(uint64_t bytes);

// The decimal separator of the user's locale (LC_NUMERIC from the environment).
char UserDecimalSeparator();

} // namespace kelvo
