#include "files/fDestination.h"

#include "files/LocalFiles.h"
#include "log/DebugTrace.h"
#include "log/LogEntry.h"
#include "log/MessageTable.h"
#include "platform/FileSystem.h"
#include "task/KBT.h"

#include <stdexcept>
#include <unistd.h>

namespace kelvo {

void TfDestination::SetKind(int kind) {
    FKind = kind;
    if (kind == kLanFolder && !FNetConnection)
        FNetConnection = std::make_unique<TNetConnection>();
    FConnected = false;
}

int TfDestination::DestinationType() const {
    if (FOwner && FOwner->FTask)
        return static_cast<int>(FOwner->FTask->FDestination.rb);
    return FKind;
}

bool TfDestination::Connect() {
    if (FConnected)
        return true;
    if (FKind == kRemovableDisk || FKind == kLocalFolder || FKind == kOpticalDisc) {
        const int type = DestinationType();
        // A removable disk or disc must be there: the folder lies on a mounted
        // file system of its own, not on the root file system.
        if (type == kRemovableDisk || type == kOpticalDisc) {
            const std::string mount = MountPointOf(FOwner ? FOwner->FullName() : "");
            if (mount.empty() || mount == "/") {
                Log(1, kLogError, Msg("_DriveNotAccessible"));
                throw std::runtime_error(Msg("_DriveNotAccessible"));
            }
        }
    } else if (FKind == kLanFolder) {
        if (FRemoteName.empty() && FOwner)
            FRemoteName = FOwner->FullName();
        const std::string failure = ConnectShare();
        if (!failure.empty()) {
            const std::string text = Msg("_LANFolderNotAccessible") + ": (" + failure + ")";
            Log(1, kLogError, text);
            throw std::runtime_error(text);
        }
    } else {
        return false;
    }
    FConnected = true;
    return true;
}

bool TfDestination::Disconnect() {
    if (FConnected && FKind == kLanFolder && FNetConnection) {
        try {
            FNetConnection->Disconnect(false);
        } catch (const std::exception&) {
        }
    }
    FConnected = false;
    return true;
}

bool TfDestination::MakeDir(const std::string& path, const std::string&) {
    if (!Connect() || !IsLocal())
        return false;
    DebugTrace(Msg("_localMakeDir"));
    return IsDirectory(path) || MakeFolders(path);
}

int64_t TfDestination::Write(TStream& stream, const std::string& path) {
    if (!Connect() || !IsLocal())
        return 0;
    return WriteLocal(stream, path, 0, "_DestTransferComplete");
}

bool TfDestination::FileExists(const std::string& path) {
    return FileSystemKind() && Connect() && IsRegularFile(path);
}

bool TfDestination::DirectoryExists(const std::string& path) {
    return FileSystemKind() && Connect() && IsDirectory(path);
}

bool TfDestination::RemoveDir(const std::string& path) {
    return Connect() && IsLocal() && RemoveTree(path);
}

bool TfDestination::DeleteFile(const std::string& path) {
    if (Connect() && IsLocal())
        ::unlink(path.c_str());
    return true;
}

std::unique_ptr<TStream> TfDestination::OpenRead(const std::string& path) {
    if (!Connect() || !IsLocal())
        return nullptr;
    return FileReadStream::Open(path);
}

} // namespace kelvo
