#pragma once

#include "files/Connection.h"
#include "files/Endpoint.h"

#include <functional>
#include <memory>

namespace kelvo {

class FtpClient;

// The endpoint of the destination root: a removable disk (kind 0), a local
// folder (1), a LAN share (2) reached where it is mounted, or the staging
// folder of a disc (4, for the existence queries). Connection failures raise
// errors with the user-visible text; file operations answer false or 0.
class TfDestination : public TfEndpoint {
public:
    explicit TfDestination(TFD* owner = nullptr);
    ~TfDestination() override;

    std::shared_ptr<TConnection> FFtpSettings;
    std::unique_ptr<FtpClient> FFtp; // kind 3, one control connection for the run
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

    // FTP: whole files for delivery and restore. A task file (".kbt") with
    // an empty folder goes to the base folder.
    bool UploadFile(const std::string& localPath, const std::string& folder);
    bool DownloadFile(const std::string& remotePath, const std::string& localPath,
                      const std::string& folder);
    // FTP: fills the root's flat lists from the remote folders below it;
    // passes decides the masks (name, whether it is a folder).
    using MaskTest = std::function<bool(const std::string& name, bool folder)>;
    void ListTree(TDir& root, const MaskTest& passes);
    // The remote form of a local path: "\" as "/", without ":".
    static std::string RemotePath(std::string path);

private:
    void ConnectFtp();
    std::string FtpBase() const;
    std::string InHome(const std::string& path) const;
    void RemoveRemote(const std::string& folder);
    void ListFolder(TDir& root, const std::string& relative, const std::string& parent,
                    const MaskTest& passes);
    // The task's destination type, which decides what kind 1 must find.
    int DestinationType() const;
    bool FileSystemKind() const { return IsLocal() || FKind == kOpticalDisc; }
};

} // namespace kelvo
