#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvo {

enum class RegRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };

// Value type codes as the registry numbers them; unknown codes are kept as is.
namespace RegType {
constexpr uint32_t None = 0, String = 1, ExpandString = 2, Binary = 3, DWord = 4,
                   DWordBigEndian = 5, Link = 6, MultiString = 7, QWord = 11;
}

// A named value: its type code and its raw bytes (strings as UTF-8 without a
// terminator, integers little-endian, multi-strings separated by NUL).
struct RegValue {
    std::string Name;
    uint32_t Type = RegType::None;
    std::string Data;

    static RegValue Text(std::string name, std::string_view text, uint32_t type = RegType::String);
    static RegValue DWord(std::string name, uint32_t value);
    static RegValue QWord(std::string name, uint64_t value);
    static RegValue Binary(std::string name, std::string bytes);
    static RegValue MultiText(std::string name, const std::vector<std::string>& texts);

    std::optional<std::string> AsText() const; // string and expandable string
    std::optional<uint32_t> AsDWord() const;
    std::optional<uint64_t> AsQWord() const;
    std::optional<std::vector<std::string>> AsMultiText() const;

    bool operator==(const RegValue&) const = default;
};

std::string RootName(RegRoot root);                         // "HKEY_CURRENT_USER"
std::optional<RegRoot> RootFromName(std::string_view name); // exact, case-sensitive

// Keys are paths below a root with "\" between levels ("Software\Maker\Product");
// names compare without regard to case and keep the case they were created in.
// Sub-keys enumerate in name order, values in the order they were first set.
// Every call is safe from several threads and several processes at once.
class RegistryStore {
public:
    virtual ~RegistryStore() = default;

    virtual bool KeyExists(RegRoot root, std::string_view path) = 0;
    // Creates the key and its missing parents; true when it exists afterwards.
    virtual bool CreateKey(RegRoot root, std::string_view path) = 0;
    // Deletes the key with all its sub-keys; false when it did not exist.
    virtual bool DeleteKey(RegRoot root, std::string_view path) = 0;
    virtual std::optional<std::vector<std::string>> SubKeyNames(RegRoot root,
                                                                std::string_view path) = 0;
    virtual std::optional<std::vector<RegValue>> Values(RegRoot root, std::string_view path) = 0;
    virtual std::optional<RegValue> GetValue(RegRoot root, std::string_view path,
                                             std::string_view name) = 0;
    // The key must exist; replaces a value of the same name in place.
    virtual bool SetValue(RegRoot root, std::string_view path, const RegValue& value) = 0;
    virtual bool DeleteValue(RegRoot root, std::string_view path, std::string_view name) = 0;

    // Between these two, changes to the root are kept in memory and saved once
    // by EndBatch, which answers whether that save succeeded. Other threads and
    // processes wait for the root meanwhile. Batches may nest.
    virtual bool BeginBatch(RegRoot) { return true; }
    virtual bool EndBatch(RegRoot) { return true; }

    // Conveniences over the calls above.
    std::optional<std::string> ReadText(RegRoot root, std::string_view path, std::string_view name);
    std::optional<int64_t> ReadInteger(RegRoot root, std::string_view path, std::string_view name);
    bool WriteValueCreatingKey(RegRoot root, std::string_view path, const RegValue& value);
};

// A batch for the life of the object (see BeginBatch); Commit ends it early.
class RegistryBatch {
public:
    RegistryBatch(RegistryStore& store, RegRoot root) : store_(store), root_(root) {
        store_.BeginBatch(root_);
    }
    ~RegistryBatch() { Commit(); }
    RegistryBatch(const RegistryBatch&) = delete;
    RegistryBatch& operator=(const RegistryBatch&) = delete;
    bool Commit() {
        if (!open_)
            return saved_;
        open_ = false;
        return saved_ = store_.EndBatch(root_);
    }

private:
    RegistryStore& store_;
    RegRoot root_;
    bool open_ = true, saved_ = false;
};

// The process-wide store of this platform.
RegistryStore& TheRegistry();

} // namespace kelvo
