#pragma once

#include "files/Endpoint.h"

namespace kelvo {

// The endpoint of a source root or single-file item: a local folder (kind 1)
// or a LAN share (kind 2) reached where it is mounted.
class TfSource : public TfEndpoint {
public:
    explicit TfSource(TFD* owner = nullptr) : TfEndpoint(7, owner) {}

    void SetKind(int kind);
    // Logs "fSource.Connect() " and the reason, and answers false, on failure.
    bool Connect();
    bool Disconnect();
    bool FileExists(const std::string& path);
    bool DirectoryExists(const std::string& path);
    std::unique_ptr<TStream> OpenRead(const std::string& path);
    bool MakeDir(const std::string& path);
    bool DeleteFile(const std::string& path);
    // Copies the stream to path: its size (1 when empty), 0 when the file
    // cannot be created, -1 when writing failed.
    int64_t Write(TStream& stream, const std::string& path);
};

} // namespace kelvo
