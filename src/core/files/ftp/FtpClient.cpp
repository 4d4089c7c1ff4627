#include "files/ftp/FtpClient.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <curl/curl.h>
#include <memory>
#include <unistd.h>

namespace kelvo {

namespace {

struct SList {
    curl_slist* list = nullptr;
    ~SList() { curl_slist_free_all(list); }
    void Add(const std::string& line) { list = curl_slist_append(list, line.c_str()); }
};

size_t AppendTo(char* data, size_t size, size_t count, void* target) {
    static_cast<std::string*>(target)->append(data, size * count);
    return size * count;
}

size_t WriteToFile(char* data, size_t size, size_t count, void* target) {
    return std::fwrite(data, size, count, static_cast<std::FILE*>(target)) * size;
}

struct UploadState {
    TStream* stream;
    const FtpClient::Progress* progress;
    curl_off_t reported = 0;
};

size_t ReadFromStream(char* buffer, size_t size, size_t count, void* state) {
    try {
        return static_cast<UploadState*>(state)->stream->Read(buffer, size * count);
    } catch (const std::exception&) {
        return CURL_READFUNC_ABORT;
    }
}

int UploadProgress(void* state, curl_off_t, curl_off_t, curl_off_t, curl_off_t now) {
    auto* upload = static_cast<UploadState*>(state);
    if (now > upload->reported && upload->progress && *upload->progress)
        (*upload->progress)(static_cast<size_t>(now - upload->reported));
    upload->reported = std::max(upload->reported, now);
    return 0;
}

std::string StripSlashes(std::string text) {
    while (!text.empty() && text.back() == '/')
        text.pop_back();
    const size_t start = text.find_first_not_of('/');
    return start == std::string::npos ? std::string() : text.substr(start);
}

} // namespace

FtpLogin PlanLogin(const TConnection& s) {
    FtpLogin login{s.Host, s.Port, s.UserName, s.Pass, {}, {}, {}};
    if (!s.SavProx || s.ProxyMeth.empty() || s.ProxyMeth == "fpcmNone" ||
        s.ProxyMeth == "fpcmTransparent")
        return login;
    const std::string site = s.Port == 21 ? s.Host : s.Host + ":" + std::to_string(s.Port);
    if (s.ProxyMeth == "fpcmHttpProxyWithFtp") {
        login.HttpProxy = "http://" + s.ProxyHost + ":" + std::to_string(s.ProxyPort);
        if (!s.ProxyUN.empty())
            login.HttpProxyCredentials = s.ProxyUN + ":" + s.ProxyPass;
        return login;
    }
    login.Host = s.ProxyHost;
    login.Port = s.ProxyPort;
    if (s.ProxyMeth == "fpcmUserSite") {
        login.User = s.UserName + "@" + site;
    } else if (s.ProxyMeth == "fpcmUserPass") {
        login.User = s.UserName + "@" + site + " " + s.ProxyUN;
        login.Password = s.Pass + "@" + s.ProxyPass;
    } else {
        // SITE and OPEN come before the login, which libcurl does not send.
        login.Unsupported = s.ProxyMeth;
    }
    return login;
}

std::string FtpBasePath(const std::string& home, const std::string& initDir) {
    const std::string init = StripSlashes(initDir);
    std::string base = home;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    if (init.empty())
        return base;
    if (base.empty())
        return init;
    return (base == "/" ? "" : base) + "/" + init;
}

FtpClient::FtpClient(TConnection settings)
    : settings_(std::move(settings)), login_(PlanLogin(settings_)), curl_(curl_easy_init()) {
    if (!curl_)
        throw FtpError("Cannot start the FTP client", CURLE_FAILED_INIT);
}

FtpClient::~FtpClient() {
    curl_easy_cleanup(curl_);
}

std::string FtpClient::Url(const std::string& path) const {
    // "%2F" makes the path absolute instead of relative to the login folder.
    std::string url = "ftp://" + login_.Host + ":" + std::to_string(login_.Port) + "/%2F";
    size_t start = path.find_first_not_of('/');
    while (start != std::string::npos && start < path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        char* escaped = curl_easy_escape(curl_, path.data() + start, static_cast<int>(end - start));
        url += escaped;
        curl_free(escaped);
        if (end < path.size())
            url += '/';
        start = end + 1;
    }
    return url;
}

void FtpClient::Prepare(const std::string& path) {
    curl_easy_reset(curl_); // keeps the control connection
    curl_easy_setopt(curl_, CURLOPT_URL, Url(path).c_str());
    curl_easy_setopt(curl_, CURLOPT_USERNAME, login_.User.c_str());
    curl_easy_setopt(curl_, CURLOPT_PASSWORD, login_.Password.c_str());
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, 20L);
    curl_easy_setopt(curl_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_NOCWD));
    curl_easy_setopt(curl_, CURLOPT_BUFFERSIZE, 8192L);
    if (!settings_.PsvMode)
        curl_easy_setopt(curl_, CURLOPT_FTPPORT, "-");
    if (!login_.HttpProxy.empty()) {
        curl_easy_setopt(curl_, CURLOPT_PROXY, login_.HttpProxy.c_str());
        curl_easy_setopt(curl_, CURLOPT_HTTPPROXYTUNNEL, 1L);
        if (!login_.HttpProxyCredentials.empty())
            curl_easy_setopt(curl_, CURLOPT_PROXYUSERPWD, login_.HttpProxyCredentials.c_str());
    }
}

void FtpClient::Perform(const std::string& what) {
    char error[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, error);
    const CURLcode code = curl_easy_perform(curl_);
    if (code != CURLE_OK)
        throw FtpError(what + ": " + (*error ? error : curl_easy_strerror(code)), code);
}

void FtpClient::Connect() {
    if (!login_.Unsupported.empty())
        throw FtpError("the proxy method " + login_.Unsupported + " is not supported",
                       CURLE_UNSUPPORTED_PROTOCOL);
    Prepare("/");
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    Perform("login");
    char* entry = nullptr;
    curl_easy_getinfo(curl_, CURLINFO_FTP_ENTRY_PATH, &entry);
    entryPath_ = entry ? entry : "/";
}

// Commands with a leading "*", whose failure (a folder that exists, a file
// that is gone) is no error.
void FtpClient::Commands(const std::string& verb, const std::vector<std::string>& paths) {
    SList quote;
    for (const std::string& path : paths)
        quote.Add("*" + verb + " " + path);
    Prepare("/");
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl_, CURLOPT_QUOTE, quote.list);
    Perform(verb);
}

void FtpClient::MakeFolders(const std::vector<std::string>& paths) {
    Commands("MKD", paths);
}

void FtpClient::Upload(TStream& stream, const std::string& path, const Progress& progress,
                       long sendBuffer) {
    stream.Rewind();
    UploadState state{&stream, &progress};
    Prepare(path);
    curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl_, CURLOPT_UPLOAD_BUFFERSIZE, std::max(sendBuffer, 16384L));
    curl_easy_setopt(curl_, CURLOPT_READFUNCTION, ReadFromStream);
    curl_easy_setopt(curl_, CURLOPT_READDATA, &state);
    curl_easy_setopt(curl_, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(stream.Size()));
    curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, UploadProgress);
    curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, &state);
    curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
    Perform("STOR " + path);
}

std::string FtpClient::Download(const std::string& path) {
    std::string data;
    Prepare(path);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, AppendTo);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &data);
    Perform("RETR " + path);
    return data;
}

void FtpClient::DownloadToFile(const std::string& path, const std::string& target) {
    const std::string temporary = target + ".part-" + std::to_string(::getpid());
    std::FILE* out = std::fopen(temporary.c_str(), "wb");
    if (!out)
        throw FtpError("Cannot create " + target + ": " + std::strerror(errno), CURLE_WRITE_ERROR);
    try {
        Prepare(path);
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, WriteToFile);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, out);
        Perform("RETR " + path);
        if (std::fflush(out) != 0 || ::fsync(fileno(out)) != 0)
            throw FtpError("Cannot write " + target, CURLE_WRITE_ERROR);
    } catch (...) {
        std::fclose(out);
        ::unlink(temporary.c_str());
        throw;
    }
    std::fclose(out);
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        throw FtpError("Cannot write " + target + ": " + std::strerror(errno), CURLE_WRITE_ERROR);
    }
}

std::vector<FtpItem> FtpClient::List(const std::string& folder) {
    const std::string path = folder.empty() || folder.back() != '/' ? folder + "/" : folder;
    if (mlsd_) {
        std::string text;
        Prepare(path);
        curl_easy_setopt(curl_, CURLOPT_CUSTOMREQUEST, "MLSD");
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, AppendTo);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &text);
        try {
            Perform("MLSD " + folder);
            return ParseFtpListing(text, true, std::chrono::system_clock::now());
        } catch (const FtpError&) {
            // A server without MLSD refuses it; then LIST must do, from now on.
        }
    }
    std::string text;
    Prepare(path);
    curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, AppendTo);
    curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &text);
    Perform("LIST " + folder);
    mlsd_ = false;
    return ParseFtpListing(text, false, std::chrono::system_clock::now());
}

void FtpClient::Delete(const std::string& path) {
    Commands("DELE", {path});
}

void FtpClient::RemoveFolder(const std::string& path) {
    Commands("RMD", {path});
}

} // namespace kelvo
