#pragma once

#include "platform/RegistryHive.h"
#include "platform/RegistryStore.h"

#include <array>
#include <functional>
#include <mutex>
#include <sys/types.h>

namespace kelvo {

// One hive file per root: HKEY_CURRENT_USER in the user's folder, every other
// root in the system folder. Each call takes the hive's mutex (threads) and an
// flock on "<root>.lock" (processes), and reloads the file when another
// process replaced it since the last call. A batch holds both and saves once.
class FileRegistryStore : public RegistryStore {
public:
    FileRegistryStore(std::string userFolder, std::string systemFolder);

    bool KeyExists(RegRoot root, std::string_view path) override;
    bool CreateKey(RegRoot root, std::string_view path) override;
    bool DeleteKey(RegRoot root, std::string_view path) override;
    std::optional<std::vector<std::string>> SubKeyNames(RegRoot root,
                                                        std::string_view path) override;
    std::optional<std::vector<RegValue>> Values(RegRoot root, std::string_view path) override;
    std::optional<RegValue> GetValue(RegRoot root, std::string_view path,
                                     std::string_view name) override;
    bool SetValue(RegRoot root, std::string_view path, const RegValue& value) override;
    bool DeleteValue(RegRoot root, std::string_view path, std::string_view name) override;
    bool BeginBatch(RegRoot root) override;
    bool EndBatch(RegRoot root) override;

    // The folders from the environment: $XDG_CONFIG_HOME/KelvoBackup/registry
    // and /etc/KelvoBackup/registry (KELVOBACKUP_SYSTEM_REGISTRY overrides it).
    static std::string DefaultUserFolder();
    static std::string DefaultSystemFolder();

private:
    struct Stamp {
        ino_t inode = 0;
        off_t size = -1;
        long long modifiedNs = 0, changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Hive {
        std::recursive_mutex mutex; // held by a batch from its begin to its end
        int batchDepth = 0;
        int batchLockFd = -1; // the exclusive flock a batch holds
        bool batchChanged = false;
        std::string folder, file, lockFile;
        RegistryHive tree;
        Stamp stamp;
        bool loaded = false;
    };

    static Stamp StampOf(const std::string& file);
    Hive& HiveOf(RegRoot root);
    void Refresh(Hive& hive);
    bool Save(Hive& hive);
    // Runs reader on the current tree under a shared lock.
    void Read(RegRoot root, const std::function<void(RegistryHive&)>& reader);
    // Runs change under an exclusive lock and saves when it reports a change;
    // answers whether it succeeded and was saved.
    bool Write(RegRoot root, const std::function<bool(RegistryHive&)>& change);

    std::array<Hive, 6> hives_;
};

} // namespace kelvo
