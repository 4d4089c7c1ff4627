#include "Commands.h"
#include "Json.h"

#include "app/IniFile.h"
#include "app/Options.h"
#include "app/StartupSettings.h"
#include "platform/AutostartEntry.h"

#include <iostream>
#include <optional>
#include <strings.h>

namespace kelvo::cli {

namespace {

std::optional<bool> ParseBool(const std::string& text) {
    for (const char* yes : {"1", "true", "yes", "on"})
        if (::strcasecmp(text.c_str(), yes) == 0)
            return true;
    for (const char* no : {"0", "false", "no", "off"})
        if (::strcasecmp(text.c_str(), no) == 0)
            return false;
    return std::nullopt;
}

const TOptions::Field* FindField(const std::string& key) {
    for (const TOptions::Field& field : TOptions::Fields())
        if (::strcasecmp(field.Key, key.c_str()) == 0)
            return &field;
    return nullptr;
}

// Sets one field from its text; false when the text does not fit its type.
bool Assign(TOptions& options, const TOptions::Field& field, const std::string& text) {
    return std::visit(
        [&](auto member) {
            using T = std::decay_t<decltype(options.*member)>;
            if constexpr (std::is_same_v<T, bool>) {
                auto value = ParseBool(text);
                if (value)
                    options.*member = *value;
                return value.has_value();
            } else if constexpr (std::is_same_v<T, int64_t>) {
                auto value = IniFile::ParseInteger(text);
                if (value)
                    options.*member = *value;
                return value.has_value();
            } else {
                options.*member = text;
                return true;
            }
        },
        field.Member);
}

void PrintOptions(const TOptions& options) {
    std::cout << "{";
    const char* separator = "\n";
    for (const TOptions::Field& field : TOptions::Fields()) {
        std::cout << separator << "  " << JsonString(field.Key) << ": ";
        std::visit(
            [&](auto member) {
                using T = std::decay_t<decltype(options.*member)>;
                if constexpr (std::is_same_v<T, bool>)
                    std::cout << (options.*member ? "true" : "false");
                else if constexpr (std::is_same_v<T, int64_t>)
                    std::cout << options.*member;
                else
                    std::cout << JsonString(options.*member);
            },
            field.Member);
        separator = ",\n";
    }
    std::cout << "\n}\n";
}

} // namespace

int RunOptions(const std::vector<std::string>& assignments) {
    const StartupSettings& startup = CurrentStartup();
    TOptions options(startup.InstallPath, startup.LogonUser, TheAutostartEntry());
    for (const std::string& assignment : assignments) {
        const size_t eq = assignment.find('=');
        const TOptions::Field* field =
            eq == std::string::npos ? nullptr : FindField(assignment.substr(0, eq));
        if (!field) {
            std::cerr << "Unknown option (KEY=VALUE expected): " << assignment << "\n";
            return kExitUsage;
        }
        if (!Assign(options, *field, assignment.substr(eq + 1))) {
            std::cerr << "Invalid value for " << field->Key << ": " << assignment.substr(eq + 1)
                      << "\n";
            return kExitUsage;
        }
    }
    if (!assignments.empty() && !options.Save()) {
        std::cerr << "Cannot write " << options.PerUserFileName() << "\n";
        return 2;
    }
    PrintOptions(options);
    return kExitSuccess;
}

} // namespace kelvo::cli
