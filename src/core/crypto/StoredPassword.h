#pragma once

#include <string>
#include <string_view>

namespace kelvo {

// The encoding of passwords kept in task files, saved FTP connections and the
// header of encrypted containers: AES-256 in 8-bit cipher feedback under a key
// derived from a fixed pass phrase, as Base64. It hides a password from a
// casual look; it is no protection against anyone who has the program.
// Every call starts from the same initial vector. Empty maps to empty.
std::string EncryptString(std::string_view text);
std::string DecryptString(std::string_view encoded);

} // namespace kelvo
