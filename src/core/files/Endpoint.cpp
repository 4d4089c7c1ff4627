#include "files/Endpoint.h"

#include "files/LocalFiles.h"
#include "log/DebugTrace.h"
#include "log/LogEntry.h"
#include "log/MessageTable.h"
#include "platform/FileSystem.h"
#include "task/KBT.h"

#include <cerrno>
#include <cstring>

namespace kelvo {

EndpointHost* TfEndpoint::Host() const {
    return FOwner && FOwner->FTask ? FOwner->FTask->RunHost : nullptr;
}

void TfEndpoint::Log(int channel, int kind, const std::string& text) const {
    if (FOwner && FOwner->FTask)
        FOwner->FTask->Log().AddEntry(channel, kind, text);
}

std::string TfEndpoint::ConnectShare() {
    if (!FNetConnection)
        FNetConnection = std::make_unique<TNetConnection>();
    try {
        FNetConnection->SetLocalName("");
        FNetConnection->SetResourceType(TResourceTypes::rtAny);
        FNetConnection->SetReconnectAtLogon(false);
        FNetConnection->Password = FPassword;
        FNetConnection->Provider.clear();
        FNetConnection->RemoteName = FRemoteName;
        FNetConnection->UserName = FUserName;
        FNetConnection->Connect();
    } catch (const std::exception& error) {
        return error.what();
    }
    // The share is reached through the file system where it is mounted.
    errno = 0;
    if (!IsDirectory(FRemoteName))
        return FRemoteName + ": " + (errno ? std::strerror(errno) : "not a folder");
    return {};
}

void TfEndpoint::BeginProgress() {
    DebugTrace(Msg("_DestTransfer"));
    FBusy |= kBusyTransfer;
    FStarted = std::chrono::system_clock::now();
    progressStart_ = std::chrono::steady_clock::now();
    progressBytes_ = 0;
    FSpeed = 0;
}

void TfEndpoint::ProgressChunk(size_t bytes) {
    progressBytes_ += static_cast<int64_t>(bytes);
    const double elapsed =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - progressStart_).count();
    if (elapsed > 0) // all bytes of the transfer so far, not just this chunk
        FSpeed = static_cast<double>(progressBytes_) / 1024 / elapsed;
    if (EndpointHost* host = Host()) {
        host->Transferred(static_cast<int64_t>(bytes));
        host->RefreshRow();
    }
}

void TfEndpoint::EndProgress(const std::string& completeKey) {
    DebugTrace(Msg(completeKey));
    FBusy = 0;
    FBytesToGo = 0;
    progressBytes_ = 0;
    if (EndpointHost* host = Host())
        host->RefreshRow();
}

int64_t TfEndpoint::WriteLocal(TStream& stream, const std::string& path, int64_t failure,
                               const std::string& completeKey) {
    DebugTrace(Msg("_localWrite"));
    FBytesToGo = stream.Size();
    BeginProgress();
    const CopyResult result = CopyToFile(stream, path, [&](size_t bytes) { ProgressChunk(bytes); });
    EndProgress(completeKey);
    if (result == CopyResult::CannotCreate)
        return 0;
    if (result != CopyResult::Done)
        return failure;
    const int64_t size = stream.Size();
    return size > 0 ? size : 1;
}

} // namespace kelvo
