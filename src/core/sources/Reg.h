#pragma once

#include <string>
#include <vector>

namespace kelvo {

// A registry key chosen as a backup source: its display name and full path,
// whose first level names the root (HKEY_CURRENT_USER\Software\Example).
struct TReg {
    std::string Name;
    std::string Second; // kept empty
    std::string Path;
    bool operator==(const TReg&) const = default;
};

// The task's registry keys and the path of its exported "Registry.reg".
class TRegCollection {
public:
    size_t Count() const { return items_.size(); }
    const TReg& Item(size_t index) const { return items_.at(index); }
    const std::vector<TReg>& Items() const { return items_; }
    // Ignored when an item with exactly the same path is present.
    void Add(TReg item);
    // Removes the first item with exactly that path.
    void Remove(const std::string& path);

    std::string RegistryFile;

private:
    std::vector<TReg> items_;
};

} // namespace kelvo
