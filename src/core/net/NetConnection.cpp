#include "net/NetConnection.h"

#include "log/MessageTable.h"

#include <map>

namespace kelvo {

namespace {

constexpr int kNotConnected = 2250;

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

void TNetConnection::SetResourceType(TResourceTypes type) {
    if (type == TResourceTypes::rtAny && !Trimmed(localName_).empty())
        throw EParameterError(Msg("_CantBe_rtAny"));
    resourceType_ = type;
}

void TNetConnection::SetLocalName(const std::string& name) {
    if (!Trimmed(name).empty() && resourceType_ == TResourceTypes::rtAny)
        throw EParameterError(Msg("_CantBeSet"));
    localName_ = name;
    if (Trimmed(name).empty())
        reconnect_ = false;
}

void TNetConnection::SetReconnectAtLogon(bool reconnect) {
    if (reconnect && Trimmed(localName_).empty())
        throw EParameterError(Msg("_NoLocalResource"));
    reconnect_ = reconnect;
}

void TNetConnection::Connect() {
    connected_ = true;
}

void TNetConnection::Disconnect(bool) {
    if (!connected_)
        throw EDisconnectError(Msg("_Err") + ErrorText(kNotConnected));
    connected_ = false;
}

std::string TNetConnection::ErrorText(int code) {
    static const std::map<int, const char*> keys = {
        {5, "_ErrAccessDenied"},
        {53, "_BadNetPath"},
        {66, "_ErrBadDevType"},
        {67, "_ErrBadNetName"},
        {85, "_ErrAlreadyAssigned"},
        {86, "_ErrBasPass"},
        {170, "_ErrBusy"},
        {1200, "_ErrBadDev"},
        {1202, "_ErrAlreadyRemembered"},
        {1203, "_ErrNoNetOrBadPath"},
        {1204, "_ErrBadProvider"},
        {1205, "_ErrCannotOpenProfile"},
        {1206, "_ErrBadProfile"},
        {1208, "_ErrExtendedErr"},
        {1222, "_ErrNoNet"},
        {1223, "_ErrCancelled"},
        {1326, "_ErrLogonFailed"},
        {2250, "_ErrNOtConnected"},
        {2401, "_ErrOpenFiles"},
        {2404, "_ErrDeviceInUSe"},
    };
    const auto found = keys.find(code);
    return found != keys.end() ? Msg(found->second) : std::to_string(code) + Msg("_ErrUnhandled");
}

} // namespace kelvo
