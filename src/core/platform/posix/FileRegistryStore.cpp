#include "platform/posix/FileRegistryStore.h"

#include "platform/Environment.h"
#include "platform/FileIO.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvo {

namespace {

// Holds an flock for the life of the object; no lock when the file cannot be
// opened (a read-only system hive is then read without one).
class FileLock {
public:
    FileLock(const std::string& path, bool exclusive, bool create) {
        fd_ = ::open(path.c_str(), (create ? O_RDWR | O_CREAT : O_RDONLY) | O_CLOEXEC, 0600);
        if (fd_ >= 0 && ::flock(fd_, exclusive ? LOCK_EX : LOCK_SH) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~FileLock() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace

FileRegistryStore::FileRegistryStore(std::string userFolder, std::string systemFolder) {
    for (int i = 0; i < 6; ++i) {
        const auto root = static_cast<RegRoot>(i);
        Hive& hive = hives_[i];
        hive.folder = root == RegRoot::CurrentUser ? userFolder : systemFolder;
        hive.file = hive.folder + "/" + RootName(root) + ".hive";
        hive.lockFile = hive.folder + "/" + RootName(root) + ".lock";
    }
}

std::string FileRegistryStore::DefaultUserFolder() {
    return XdgConfigHome() + "/KelvoBackup/registry";
}

std::string FileRegistryStore::DefaultSystemFolder() {
    const std::string custom = EnvironmentValue("KELVOBACKUP_SYSTEM_REGISTRY");
    return custom.empty() ? "/etc/KelvoBackup/registry" : custom;
}

FileRegistryStore::Hive& FileRegistryStore::HiveOf(RegRoot root) {
    return hives_[static_cast<size_t>(root)];
}

FileRegistryStore::Stamp FileRegistryStore::StampOf(const std::string& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0)
        return {};
    return {info.st_ino, info.st_size, info.st_mtim.tv_sec * 1000000000LL + info.st_mtim.tv_nsec,
            info.st_ctim.tv_sec * 1000000000LL + info.st_ctim.tv_nsec};
}

void FileRegistryStore::Refresh(Hive& hive) {
    const Stamp now = StampOf(hive.file);
    if (hive.loaded && now == hive.stamp)
        return;
    auto text = now.size >= 0 ? ReadWholeFile(hive.file) : std::nullopt;
    hive.tree = text ? RegistryHive::Parse(*text) : RegistryHive();
    hive.stamp = now;
    hive.loaded = true;
}

void FileRegistryStore::Read(RegRoot root, const std::function<void(RegistryHive&)>& reader) {
    Hive& hive = HiveOf(root);
    std::lock_guard guard(hive.mutex);
    if (hive.batchDepth > 0) { // our batch holds the file: the tree is current
        reader(hive.tree);
        return;
    }
    FileLock lock(hive.lockFile, false, false);
    Refresh(hive);
    reader(hive.tree);
}

bool FileRegistryStore::Save(Hive& hive) {
    const bool saved = WriteFileAtomically(hive.file, hive.tree.Serialize());
    // The tree now is what the file holds; after a failed save, read the file again.
    hive.stamp = StampOf(hive.file);
    hive.loaded = saved;
    return saved;
}

bool FileRegistryStore::Write(RegRoot root, const std::function<bool(RegistryHive&)>& change) {
    Hive& hive = HiveOf(root);
    std::lock_guard guard(hive.mutex);
    if (hive.batchDepth > 0) {
        if (hive.batchLockFd < 0 || !change(hive.tree))
            return false;
        hive.batchChanged = true;
        return true;
    }
    if (!CreateFolders(hive.folder))
        return false;
    FileLock lock(hive.lockFile, true, true);
    if (!lock.Held())
        return false;
    Refresh(hive);
    return change(hive.tree) && Save(hive);
}

bool FileRegistryStore::BeginBatch(RegRoot root) {
    Hive& hive = HiveOf(root);
    hive.mutex.lock();
    if (hive.batchDepth++ > 0)
        return hive.batchLockFd >= 0;
    int fd = CreateFolders(hive.folder)
                 ? ::open(hive.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)
                 : -1;
    if (fd >= 0 && ::flock(fd, LOCK_EX) != 0) {
        ::close(fd);
        fd = -1;
    }
    hive.batchLockFd = fd;
    hive.batchChanged = false;
    Refresh(hive);
    return fd >= 0;
}

bool FileRegistryStore::EndBatch(RegRoot root) {
    Hive& hive = HiveOf(root);
    bool saved = hive.batchLockFd >= 0;
    if (--hive.batchDepth == 0) {
        if (saved && hive.batchChanged)
            saved = Save(hive);
        if (hive.batchLockFd >= 0)
            ::close(hive.batchLockFd);
        hive.batchLockFd = -1;
    }
    hive.mutex.unlock();
    return saved;
}

bool FileRegistryStore::KeyExists(RegRoot root, std::string_view path) {
    bool found = false;
    Read(root, [&](RegistryHive& tree) { found = tree.Find(path) != nullptr; });
    return found;
}

bool FileRegistryStore::CreateKey(RegRoot root, std::string_view path) {
    if (KeyExists(root, path))
        return true;
    return Write(root, [&](RegistryHive& tree) { return tree.Create(path) != nullptr; });
}

bool FileRegistryStore::DeleteKey(RegRoot root, std::string_view path) {
    return Write(root, [&](RegistryHive& tree) { return tree.Delete(path); });
}

std::optional<std::vector<std::string>> FileRegistryStore::SubKeyNames(RegRoot root,
                                                                       std::string_view path) {
    std::optional<std::vector<std::string>> names;
    Read(root, [&](RegistryHive& tree) {
        if (RegistryHive::Key* key = tree.Find(path)) {
            names.emplace();
            for (const auto& [name, sub] : key->SubKeys)
                names->push_back(sub->Name);
        }
    });
    return names;
}

std::optional<std::vector<RegValue>> FileRegistryStore::Values(RegRoot root,
                                                               std::string_view path) {
    std::optional<std::vector<RegValue>> values;
    Read(root, [&](RegistryHive& tree) {
        if (RegistryHive::Key* key = tree.Find(path))
            values = key->Values;
    });
    return values;
}

std::optional<RegValue> FileRegistryStore::GetValue(RegRoot root, std::string_view path,
                                                    std::string_view name) {
    std::optional<RegValue> value;
    Read(root, [&](RegistryHive& tree) {
        if (RegistryHive::Key* key = tree.Find(path))
            if (RegValue* found = RegistryHive::FindValue(*key, name))
                value = *found;
    });
    return value;
}

bool FileRegistryStore::SetValue(RegRoot root, std::string_view path, const RegValue& value) {
    return Write(root, [&](RegistryHive& tree) {
        RegistryHive::Key* key = tree.Find(path);
        if (!key)
            return false;
        if (RegValue* existing = RegistryHive::FindValue(*key, value.Name))
            *existing = value;
        else
            key->Values.push_back(value);
        return true;
    });
}

bool FileRegistryStore::DeleteValue(RegRoot root, std::string_view path, std::string_view name) {
    return Write(root, [&](RegistryHive& tree) {
        RegistryHive::Key* key = tree.Find(path);
        if (!key)
            return false;
        RegValue* found = RegistryHive::FindValue(*key, name);
        if (!found)
            return false;
        key->Values.erase(key->Values.begin() + (found - key->Values.data()));
        return true;
    });
}

RegistryStore& TheRegistry() {
    static FileRegistryStore store(FileRegistryStore::DefaultUserFolder(),
                                   FileRegistryStore::DefaultSystemFolder());
    return store;
}

} // namespace kelvo
