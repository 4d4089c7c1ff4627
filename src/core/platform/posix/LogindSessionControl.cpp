#include "platform/posix/LogindSessionControl.h"

#include "platform/Environment.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";

class Bus {
public:
    explicit Bus(const std::string& address) {
        if (address.empty()) {
            if (sd_bus_open_system(&bus_) < 0)
                bus_ = nullptr;
            return;
        }
        if (sd_bus_new(&bus_) < 0) {
            bus_ = nullptr;
            return;
        }
        if (sd_bus_set_address(bus_, address.c_str()) < 0 || sd_bus_set_bus_client(bus_, 1) < 0 ||
            sd_bus_start(bus_) < 0) {
            sd_bus_unref(bus_);
            bus_ = nullptr;
        }
    }
    ~Bus() { sd_bus_flush_close_unref(bus_); }
    Bus(const Bus&) = delete;
    Bus& operator=(const Bus&) = delete;
    sd_bus* get() const { return bus_; }

    // Calls a method whose arguments are given by types and the values after it.
    template <typename... Args>
    bool Call(const char* path, const char* interface, const char* method, sd_bus_message** reply,
              const char* types, Args... args) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        const int result = sd_bus_call_method(bus_, kService, path, interface, method, &error,
                                              reply, types, args...);
        sd_bus_error_free(&error);
        return result >= 0;
    }

private:
    sd_bus* bus_ = nullptr;
};

// The object of the session logind knows for this process.
std::string OwnSessionPath(Bus& bus) {
    sd_bus_message* reply = nullptr;
    const char* path = nullptr;
    std::string result;
    if (bus.Call(kManagerPath, kManager, "GetSessionByPID", &reply, "u",
                 static_cast<uint32_t>(::getpid())) &&
        sd_bus_message_read(reply, "o", &path) >= 0 && path)
        result = path;
    sd_bus_message_unref(reply);
    return result;
}

} // namespace

bool PowerActionsDisabled() {
    return !EnvironmentValue("KELVOBACKUP_NO_POWER").empty();
}

LogindSessionControl::LogindSessionControl(std::string busAddress)
    : busAddress_(std::move(busAddress)) {}

bool LogindSessionControl::LogOff() {
    if (PowerActionsDisabled())
        return false;
    Bus bus(busAddress_);
    if (!bus.get())
        return false;
    const std::string id = EnvironmentValue("XDG_SESSION_ID");
    if (!id.empty())
        return bus.Call(kManagerPath, kManager, "TerminateSession", nullptr, "s", id.c_str());
    const std::string path = OwnSessionPath(bus);
    return !path.empty() && bus.Call(path.c_str(), kSession, "Terminate", nullptr, "");
}

bool LogindSessionControl::PowerOff() {
    if (PowerActionsDisabled())
        return false;
    Bus bus(busAddress_);
    return bus.get() && bus.Call(kManagerPath, kManager, "PowerOff", nullptr, "b", 0);
}

SessionControl& TheSessionControl() {
    static LogindSessionControl control;
    return control;
}

} // namespace kelvo
