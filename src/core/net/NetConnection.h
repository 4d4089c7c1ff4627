#pragma once

#include <stdexcept>
#include <string>

namespace kelvo {

// A setting that does not fit the others; the property keeps its value.
struct EParameterError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct EDisconnectError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

enum class TResourceTypes { rtDisk, rtPrint, rtAny };

// The description of one network connection to a share. A share is reached
// through the file system (a mounted share) with the rights of the user who
// runs the program, so Connect establishes nothing; Disconnect cancels what
// Connect recorded.
class TNetConnection {
public:
    std::string UserName, Password, RemoteName, Provider;

    TResourceTypes ResourceType() const { return resourceType_; }
    const std::string& LocalName() const { return localName_; }
    bool ReconnectAtLogon() const { return reconnect_; }
    void SetResourceType(TResourceTypes type);
    void SetLocalName(const std::string& name);
    void SetReconnectAtLogon(bool reconnect);

    void Connect();
    // Raises EDisconnectError when there is no connection to cancel.
    void Disconnect(bool force);

    // The text of a system error code of the network calls.
    static std::string ErrorText(int code);

private:
    TResourceTypes resourceType_ = TResourceTypes::rtDisk;
    std::string localName_;
    bool reconnect_ = false, connected_ = false;
};

} // namespace kelvo
