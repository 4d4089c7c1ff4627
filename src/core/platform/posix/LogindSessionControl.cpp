#include "platform/posix/LogindSessionControl.h"

#include "platform/Environment.h"

#include <systemd/sd-bus.h>
#include <unistd.h>

namespace kelvo {

namespace {

constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

class SystemBus {
public:
    SystemBus() {
        if (sd_bus_open_system(&bus_) < 0)
            bus_ = nullptr;
    }
    ~SystemBus() { sd_bus_flush_close_unref(bus_); }
    SystemBus(const SystemBus&) = delete;
    SystemBus& operator=(const SystemBus&) = delete;
    sd_bus* get() const { return bus_; }

private:
    sd_bus* bus_ = nullptr;
};

// Our session: XDG_SESSION_ID, else the session logind knows for our process.
std::string SessionId(sd_bus* bus) {
    std::string id = EnvironmentValue("XDG_SESSION_ID");
    if (!id.empty())
        return id;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    const char* path = nullptr;
    if (sd_bus_call_method(bus, kService, kManagerPath, kManager, "GetSessionByPID", &error, &reply,
                           "u", static_cast<uint32_t>(::getpid())) >= 0 &&
        sd_bus_message_read(reply, "o", &path) >= 0 && path) {
        std::string object = path;
        id = object.substr(object.rfind('/') + 1);
    }
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    return id;
}

} // namespace

bool PowerActionsDisabled() { return !EnvironmentValue("KELVOBACKUP_NO_POWER").empty(); }

bool LogindSessionControl::LogOff() {
    if (PowerActionsDisabled())
        return false;
    SystemBus bus;
    if (!bus.get())
        return false;
    const std::string id = SessionId(bus.get());
    if (id.empty())
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_call_method(bus.get(), kService, kManagerPath, kManager,
                                          "TerminateSession", &error, nullptr, "s", id.c_str());
    sd_bus_error_free(&error);
    return result >= 0;
}

bool LogindSessionControl::PowerOff() {
    if (PowerActionsDisabled())
        return false;
    SystemBus bus;
    if (!bus.get())
        return false;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    const int result = sd_bus_call_method(bus.get(), kService, kManagerPath, kManager, "PowerOff",
                                          &error, nullptr, "b", 0);
    sd_bus_error_free(&error);
    return result >= 0;
}

SessionControl& TheSessionControl() {
    static LogindSessionControl control;
    return control;
}

} // namespace kelvo
