#pragma once

#include <cstdint>
#include <string>

namespace kelvo {

// The settings of an FTP destination or a saved FTP connection. Passwords are
// held in clear here; files store them encoded.
struct TConnection {
    std::string ConnName;
    std::string Host;
    int64_t Port = 21;
    std::string UserName;
    std::string Pass;
    std::string InitDir;
    bool PsvMode = false;
    bool SavProx = false;
    std::string ProxyHost;
    int64_t ProxyPort = 0;
    std::string ProxyUN;
    std::string ProxyPass;
    std::string ProxyMeth; // "fpcmNone", "fpcmUserSite", ... "fpcmHttpProxyWithFtp"

    bool operator==(const TConnection&) const = default;
};

} // namespace kelvo
