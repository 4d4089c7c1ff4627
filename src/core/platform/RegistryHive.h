#pragma once

#include "platform/RegistryStore.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

// The tree of one registry root in memory, and its text form on disk:
//   KelvoRegistry 1
//   K Software\Maker                  one line per key, full path
//   V 1 InstallPath /opt/kelvo        type code, name, data
// Names and data escape bytes up to space, "%" and DEL as %XX.
class RegistryHive {
public:
    struct CaseLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    struct Key {
        std::string Name;
        std::vector<RegValue> Values;
        std::map<std::string, std::unique_ptr<Key>, CaseLess> SubKeys;
    };

    Key* Find(std::string_view path);
    Key* Create(std::string_view path);
    bool Delete(std::string_view path);

    std::string Serialize() const;
    // Lines that cannot be read are skipped; another header gives an empty hive.
    static RegistryHive Parse(std::string_view text);

    static std::vector<std::string> SplitPath(std::string_view path);
    static RegValue* FindValue(Key& key, std::string_view name);

private:
    Key root_;
};

} // namespace kelvo
