#pragma once

#include <string>

namespace kelvo {

// The encrypted container (".kbc") around a backup archive.
//
// Version "1.0" (read only): tag EncryptString("1.0"), the password under the
// fixed-key string cipher, the archive under AES-256-CBC keyed by SHA-512 of
// the password, an unpadded tail. Anyone with the program can read the
// password out of such a file.
//
// Version "2.0" (written): tag EncryptString("2.0"), a header with the scrypt
// parameters, a random salt and nonce prefix and a verifier derived from the
// key, then the archive in AES-256-GCM chunks of 64 KiB; a wrong password, a
// changed byte, a truncated or extended file are all detected.

// Encrypts the archive at zipPath into containerPath (version "2.0"),
// replacing it whole. Raises an error with the user-visible text.
void EncryptArchive(const std::string& zipPath, const std::string& containerPath,
                    const std::string& password);

// Decrypts the container into its own folder under the file name of
// outputName. Answers an empty text, or the message of _WrongArchiveVersion,
// _InvalidPassword or _ArchiveDamaged; the output file appears only when the
// whole container verified.
std::string DecryptArchive(const std::string& containerPath, const std::string& outputName,
                           const std::string& password);

} // namespace kelvo
