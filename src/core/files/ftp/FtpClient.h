#pragma once

#include "files/Connection.h"
#include "files/Stream.h"
#include "files/ftp/FtpListing.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

typedef void CURL;

namespace kelvo {

// A failed FTP command; Code is libcurl's (67 login denied, 7 no server, ...).
struct FtpError : std::runtime_error {
    FtpError(const std::string& text, int code) : std::runtime_error(text), Code(code) {}
    int Code;
};

// Where to connect and how to log in for a connection's proxy method.
struct FtpLogin {
    std::string Host;
    int64_t Port = 21;
    std::string User, Password;
    std::string HttpProxy, HttpProxyCredentials; // a web proxy carrying FTP
    std::string Unsupported;                     // a proxy method this client cannot speak
};
FtpLogin PlanLogin(const TConnection& settings);

// The base folder of a destination: the home folder the server reported
// after login joined with the connection's initial folder.
std::string FtpBasePath(const std::string& home, const std::string& initDir);

// An FTP session on one control connection, kept open between commands.
// Remote paths are absolute ("/..."); names may hold any character.
class FtpClient {
public:
    using Progress = std::function<void(size_t bytes)>;

    explicit FtpClient(TConnection settings);
    ~FtpClient();
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Logs in and reads the home folder; raises FtpError with the reason.
    void Connect();
    const std::string& EntryPath() const { return entryPath_; }
    // MKD for each path in order; folders that exist already are no error.
    void MakeFolders(const std::vector<std::string>& paths);
    void Upload(TStream& stream, const std::string& path, const Progress& progress = {},
                long sendBuffer = 4096);
    std::string Download(const std::string& path);
    void DownloadToFile(const std::string& path, const std::string& target);
    // MLSD where the server offers it, else LIST.
    std::vector<FtpItem> List(const std::string& folder);
    // DELE / RMD; errors are ignored.
    void Delete(const std::string& path);
    void RemoveFolder(const std::string& path);

private:
    void Prepare(const std::string& path);
    void Commands(const std::string& verb, const std::vector<std::string>& paths);
    void Perform(const std::string& what);
    std::string Url(const std::string& path) const;

    TConnection settings_;
    FtpLogin login_;
    CURL* curl_;
    std::string entryPath_;
    bool mlsd_ = true;
};

} // namespace kelvo
