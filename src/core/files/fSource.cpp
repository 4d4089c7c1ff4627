#include "files/fSource.h"

#include "files/LocalFiles.h"
#include "log/DebugTrace.h"
#include "log/LogEntry.h"
#include "log/MessageTable.h"
#include "platform/FileSystem.h"

#include <unistd.h>

namespace kelvo {

void TfSource::SetKind(int kind) {
    FKind = kind;
    if (kind == kLanFolder && !FNetConnection)
        FNetConnection = std::make_unique<TNetConnection>();
    FConnected = false;
}

bool TfSource::Connect() {
    if (FConnected)
        return true;
    if (FKind == kLocalFolder) {
        FConnected = true;
        return true;
    }
    if (FKind != kLanFolder)
        return false;
    const std::string failure = ConnectShare();
    if (!failure.empty()) {
        Log(FLogChannel, kLogError, "fSource.Connect() " + failure);
        return false;
    }
    FConnected = true;
    return true;
}

bool TfSource::Disconnect() {
    if (!FConnected)
        return true;
    FConnected = false;
    if (FKind == kLanFolder && FNetConnection) {
        try {
            FNetConnection->Disconnect(false);
        } catch (const std::exception& error) {
            Log(FLogChannel, kLogError, std::string("fSource.Disconnect() ") + error.what());
            return false;
        }
    }
    return true;
}

bool TfSource::FileExists(const std::string& path) {
    return Connect() && IsRegularFile(path);
}

bool TfSource::DirectoryExists(const std::string& path) {
    return Connect() && IsDirectory(path);
}

std::unique_ptr<TStream> TfSource::OpenRead(const std::string& path) {
    return FileReadStream::Open(path);
}

bool TfSource::MakeDir(const std::string& path) {
    DebugTrace(Msg("_localMakeDir"));
    return IsDirectory(path) || MakeFolders(path);
}

bool TfSource::DeleteFile(const std::string& path) {
    ::unlink(path.c_str());
    return true;
}

int64_t TfSource::Write(TStream& stream, const std::string& path) {
    if (!Connect())
        return 0;
    return WriteLocal(stream, path, -1, "_SrcTransferComplete");
}

} // namespace kelvo
