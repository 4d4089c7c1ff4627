#pragma once

#include "files/Connection.h"
#include "files/Endpoint.h"

#include <memory>

namespace kelvo {

// The endpoint of the destination root: a removable disk (kind 0), a local
// folder (1), a LAN share (2) reached where it is mounted, or the staging
// folder of a disc (4, for the existence queries). Connection failures raise
// errors with the user-visible text; file operations answer false or 0.
class TfDestination : public TfEndpoint {
public:
    explicit TfDestination(TFD* owner = nullptr) : TfEndpoint(6, owner) {}

    std::shared_ptr<TConnection> FFtpSettings;
    std::string FCurrentDir, FHomeDir;

    void SetKind(int kind);
    bool Connect();
    bool Disconnect();
    bool MakeDir(const std::string& path, const std::string& folder = {});
    // Bytes written (1 for an empty stream), 0 on failure. The file appears
    // only complete; an earlier one stays until then.
    int64_t Write(TStream& stream, const std::string& path);
    bool FileExists(const std::string& path);
    bool DirectoryExists(const std::string& path);
    bool RemoveDir(const std::string& path);
    bool DeleteFile(const std::string& path);
    std::unique_ptr<TStream> OpenRead(const std::string& path);

private:
    // The task's destination type, which decides what kind 1 must find.
    int DestinationType() const;
    bool FileSystemKind() const { return IsLocal() || FKind == kOpticalDisc; }
};

} // namespace kelvo
