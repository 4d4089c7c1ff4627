#include "files/fDestination.h"

#include "files/LocalFiles.h"
#include "files/ftp/FtpClient.h"
#include "log/DebugTrace.h"
#include "log/LogEntry.h"
#include "log/MessageTable.h"
#include "platform/FileSystem.h"
#include "task/KBT.h"

#include <stdexcept>
#include <unistd.h>

namespace kelvo {

TfDestination::TfDestination(TFD* owner) : TfEndpoint(6, owner) {}

TfDestination::~TfDestination() = default;

void TfDestination::SetKind(int kind) {
    FKind = kind;
    if (kind == kLanFolder && !FNetConnection)
        FNetConnection = std::make_unique<TNetConnection>();
    FConnected = false;
}

std::string TfDestination::RemotePath(std::string path) {
    std::string out;
    for (char c : path)
        if (c != ':')
            out += c == '\\' ? '/' : c;
    return out;
}

void TfDestination::ConnectFtp() {
    try {
        FFtp = std::make_unique<FtpClient>(FFtpSettings ? *FFtpSettings : TConnection{});
        FFtp->Connect();
        FHomeDir = FFtp->EntryPath();
        FCurrentDir = FHomeDir;
    } catch (const FtpError& error) {
        FFtp.reset();
        const std::string reason =
            error.Code == 67 ? Msg("_LoginIncorrect") : std::string(error.what());
        DebugTrace(Msg("_fSourceConnect") + " " + reason);
        throw std::runtime_error(Msg("_CannotConnectFtp") + " (" + reason + ")");
    }
}

std::string TfDestination::FtpBase() const {
    return FtpBasePath(FHomeDir, FFtpSettings ? FFtpSettings->InitDir : "");
}

std::string TfDestination::InHome(const std::string& path) const {
    const std::string remote = RemotePath(path);
    if (remote.empty())
        return FHomeDir;
    return (FHomeDir == "/" ? "" : FHomeDir) + (remote.front() == '/' ? "" : "/") + remote;
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
    } else if (FKind == kFtpServer) {
        ConnectFtp();
    } else {
        return false;
    }
    FConnected = true;
    return true;
}

bool TfDestination::Disconnect() {
    FFtp.reset();
    if (FConnected && FKind == kLanFolder && FNetConnection) {
        try {
            FNetConnection->Disconnect(false);
        } catch (const std::exception&) {
        }
    }
    FConnected = false;
    return true;
}

bool TfDestination::MakeDir(const std::string& path, const std::string& folder) {
    if (!Connect())
        return false;
    if (FKind == kFtpServer) {
        // The base, the folder below it, then each level of path; MKD only
        // where a level is missing, which the server tells by refusing.
        std::vector<std::string> levels;
        std::string at = FtpBase();
        if (!at.empty() && at != "/")
            levels.push_back(at);
        for (const std::string& part : {RemotePath(folder), RemotePath(path)}) {
            size_t start = 0;
            while (start < part.size()) {
                const size_t end = std::min(part.find('/', start), part.size());
                if (end > start) {
                    at += (at.empty() || at.back() != '/' ? "/" : "") +
                          part.substr(start, end - start);
                    levels.push_back(at);
                }
                start = end + 1;
            }
        }
        try {
            FFtp->MakeFolders(levels);
        } catch (const FtpError&) {
        }
        FCurrentDir = at;
        return true;
    }
    if (!IsLocal())
        return false;
    DebugTrace(Msg("_localMakeDir"));
    return IsDirectory(path) || MakeFolders(path);
}

int64_t TfDestination::Write(TStream& stream, const std::string& path) {
    if (!Connect())
        return 0;
    if (FKind != kFtpServer)
        return IsLocal() ? WriteLocal(stream, path, 0, "_DestTransferComplete") : 0;
    FBytesToGo = stream.Size();
    BeginProgress();
    try {
        FFtp->Upload(stream, InHome(path), [this](size_t bytes) { ProgressChunk(bytes); });
    } catch (const FtpError& error) {
        EndProgress("_DestTransferComplete");
        DebugTrace(error.what());
        return 0;
    }
    EndProgress("_DestTransferComplete");
    return stream.Size() > 0 ? stream.Size() : 1;
}

bool TfDestination::FileExists(const std::string& path) {
    if (FKind == kFtpServer) {
        if (!Connect())
            return false;
        const std::string remote = InHome(path);
        const size_t slash = remote.rfind('/');
        const std::string folder = slash == 0 ? "/" : remote.substr(0, slash);
        const std::string name = remote.substr(slash + 1);
        try {
            for (const FtpItem& item : FFtp->List(folder))
                if (!item.IsFolder && item.Name == name)
                    return true;
        } catch (const FtpError&) {
        }
        return false;
    }
    return FileSystemKind() && Connect() && IsRegularFile(path);
}

bool TfDestination::DirectoryExists(const std::string& path) {
    return FileSystemKind() && Connect() && IsDirectory(path);
}

bool TfDestination::RemoveDir(const std::string& path) {
    if (!Connect())
        return false;
    if (FKind == kFtpServer) {
        RemoveRemote(InHome(path));
        return true;
    }
    return IsLocal() && RemoveTree(path);
}

// Files first, then the subfolders depth-first, then the folder; errors are
// swallowed. The listing is untrusted: its names never hold "/" or "..".
void TfDestination::RemoveRemote(const std::string& folder) {
    try {
        for (const FtpItem& item : FFtp->List(folder)) {
            const std::string child = folder + "/" + item.Name;
            if (item.IsFolder)
                RemoveRemote(child);
            else
                FFtp->Delete(child);
        }
        FFtp->RemoveFolder(folder);
    } catch (const FtpError&) {
    }
}

bool TfDestination::DeleteFile(const std::string& path) {
    if (!Connect())
        return true;
    if (FKind == kFtpServer) {
        try {
            FFtp->Delete(InHome(path));
        } catch (const FtpError&) {
        }
    } else if (IsLocal()) {
        ::unlink(path.c_str());
    }
    return true;
}

std::unique_ptr<TStream> TfDestination::OpenRead(const std::string& path) {
    if (!Connect())
        return nullptr;
    if (FKind == kFtpServer) {
        try {
            return std::make_unique<MemoryStream>(FFtp->Download(InHome(path)));
        } catch (const FtpError&) {
            return nullptr;
        }
    }
    return IsLocal() ? FileReadStream::Open(path) : nullptr;
}

bool TfDestination::UploadFile(const std::string& localPath, const std::string& folder) {
    if (!Connect() || FKind != kFtpServer)
        return false;
    const size_t slash = localPath.rfind('/');
    const std::string name = slash == std::string::npos ? localPath : localPath.substr(slash + 1);
    const bool taskFile = name.size() > 4 && name.compare(name.size() - 4, 4, ".kbt") == 0;
    if (taskFile && folder.empty())
        MakeDir("", "");
    else
        MakeDir(slash == std::string::npos ? "" : localPath.substr(0, slash), folder);
    const auto stream = FileReadStream::Open(localPath);
    if (!stream)
        return false;
    const std::string remote = (FCurrentDir == "/" ? "" : FCurrentDir) + "/" + name;
    try {
        FFtp->Delete(remote);
        FFtp->Upload(*stream, remote, {}, 512000);
    } catch (const FtpError& error) {
        DebugTrace(error.what());
        return false;
    }
    if (EndpointHost* host = Host())
        host->FileTransferred();
    return true;
}

bool TfDestination::DownloadFile(const std::string& remotePath, const std::string& localPath,
                                 const std::string& folder) {
    try {
        if (!Connect() || FKind != kFtpServer)
            throw std::runtime_error("no FTP destination");
        const std::string remote = RemotePath(remotePath);
        const size_t slash = remote.rfind('/');
        std::string dir = FtpBase();
        for (const std::string& part :
             {RemotePath(folder), slash == std::string::npos ? "" : remote.substr(0, slash)})
            if (!part.empty())
                dir += (dir.empty() || dir.back() != '/' ? "/" : "") +
                       (part.front() == '/' ? part.substr(1) : part);
        const std::string name = slash == std::string::npos ? remote : remote.substr(slash + 1);
        FFtp->DownloadToFile((dir == "/" ? "" : dir) + "/" + name, localPath);
    } catch (const std::exception&) {
        Log(FLogChannel, kLogWarning, Msg("_NotCreatedDestFile") + remotePath);
        return false;
    }
    if (EndpointHost* host = Host())
        host->FileTransferred();
    return true;
}

void TfDestination::ListTree(TDir& root, const MaskTest& passes) {
    if (!Connect() || FKind != kFtpServer)
        return;
    ListFolder(root, "", root.FullName(), passes);
}

void TfDestination::ListFolder(TDir& root, const std::string& relative, const std::string& parent,
                               const MaskTest& passes) {
    std::vector<FtpItem> items;
    try {
        items = FFtp->List(InHome(relative));
    } catch (const FtpError& error) {
        if (EndpointHost* host = Host())
            host->ShowMessage(error.what());
        return;
    }
    std::vector<std::pair<std::string, std::string>> folders;
    for (const FtpItem& item : items) {
        if (passes && !passes(item.Name, item.IsFolder))
            continue;
        const std::string path = parent + "/" + item.Name;
        if (item.IsFolder) {
            root.FFoundDirs.push_back(std::make_unique<TDi>(root.FSide, &root));
            root.FFoundDirs.back()->SetPath(path);
            folders.emplace_back(relative + "/" + item.Name, path);
        } else {
            root.FFoundFiles.push_back(std::make_unique<TFi>(root.FSide, &root));
            TFi& file = *root.FFoundFiles.back();
            file.SetPath(path);
            file.FSize = item.Size;
            file.FTime = item.Time;
        }
    }
    for (const auto& [below, path] : folders)
        ListFolder(root, below, path, passes);
}

} // namespace kelvo
