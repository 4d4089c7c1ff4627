#pragma once

#include <string>
#include <vector>

namespace kelvo::cli {

// Exit codes of the command line.
constexpr int kExitSuccess = 0;
constexpr int kExitUsage = 64;

// Settles the installation folder (--home, else the usual resolution) and the
// other start-up settings before a command touches any file.
void EstablishProgram(const std::string& home);

constexpr int kExitErrors = 2;

int RunMessages();
int RunOptions(const std::vector<std::string>& assignments);
int RunList();
int RunShow(const std::string& name, bool showPasswords);
int RunImport(const std::string& file);

} // namespace kelvo::cli
