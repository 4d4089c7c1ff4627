#pragma once

#include "app/DateTime.h"
#include "files/EndpointHost.h"
#include "files/FD.h"
#include "files/Stream.h"
#include "net/NetConnection.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace kelvo {

// What source and destination endpoints share: their settings, the LAN
// connection, the progress of a transfer and the local file operations.
class TfEndpoint {
public:
    static constexpr int kBusyTransfer = 1, kBusyRefresh = 2;

    TfEndpoint(int logChannel, TFD* owner) : FLogChannel(logChannel), FOwner(owner) {}
    virtual ~TfEndpoint() = default;
    TfEndpoint(const TfEndpoint&) = delete;
    TfEndpoint& operator=(const TfEndpoint&) = delete;

    int32_t FLogChannel;
    int32_t FKind = kLocalFolder;
    bool FConnected = false;
    TFD* FOwner;
    int FBusy = 0;
    int64_t FBytesToGo = 0;
    double FSpeed = 0; // KB/s of the current transfer
    SystemTime FStarted{};
    std::string FRemoteName, FUserName, FPassword;
    std::unique_ptr<TNetConnection> FNetConnection;

    // The run the owner's task is in, if any.
    EndpointHost* Host() const;
    // An entry in the owner's task log, when there is a task.
    void Log(int channel, int kind, const std::string& text) const;

protected:
    // Configures the LAN connection as shares need it and connects; answers
    // the failure text, empty on success.
    std::string ConnectShare();
    bool IsLocal() const {
        return FKind == kRemovableDisk || FKind == kLocalFolder || FKind == kLanFolder;
    }

    void BeginProgress();
    void ProgressChunk(size_t bytes);
    void EndProgress(const std::string& completeKey);
    // The chunked copy; answers the size (1 for an empty stream), 0 when the
    // target cannot be created, failure when a write stores nothing.
    int64_t WriteLocal(TStream& stream, const std::string& path, int64_t failure,
                       const std::string& completeKey);

private:
    int64_t progressBytes_ = 0;
    std::chrono::steady_clock::time_point progressStart_{};
};

} // namespace kelvo
