// A stand-in for systemd-logind on a private bus: answers the calls the
// program makes and appends each one to a record file. It switches nothing off.
#include <systemd/sd-bus.h>

#include <cstdio>
#include <string>

namespace {

const char* gRecord = nullptr;
constexpr const char* kSessionPath = "/org/freedesktop/login1/session/_31"; // session "1"

void Record(const std::string& line) {
    if (FILE* file = std::fopen(gRecord, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

int TerminateSession(sd_bus_message* m, void*, sd_bus_error*) {
    const char* id = nullptr;
    sd_bus_message_read(m, "s", &id);
    Record(std::string("TerminateSession ") + (id ? id : ""));
    return sd_bus_reply_method_return(m, "");
}

int PowerOff(sd_bus_message* m, void*, sd_bus_error*) {
    int interactive = 0;
    sd_bus_message_read(m, "b", &interactive);
    Record(std::string("PowerOff ") + (interactive ? "true" : "false"));
    return sd_bus_reply_method_return(m, "");
}

int GetSessionByPID(sd_bus_message* m, void*, sd_bus_error*) {
    return sd_bus_reply_method_return(m, "o", kSessionPath);
}

int Terminate(sd_bus_message* m, void*, sd_bus_error*) {
    Record(std::string("Session.Terminate ") + sd_bus_message_get_path(m));
    return sd_bus_reply_method_return(m, "");
}

const sd_bus_vtable kManager[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("TerminateSession", "s", "", TerminateSession, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("PowerOff", "b", "", PowerOff, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_METHOD("GetSessionByPID", "u", "o", GetSessionByPID, SD_BUS_VTABLE_UNPRIVILEGED),
    SD_BUS_VTABLE_END};

const sd_bus_vtable kSession[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_METHOD("Terminate", "", "", Terminate, SD_BUS_VTABLE_UNPRIVILEGED), SD_BUS_VTABLE_END};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3)
        return 64;
    gRecord = argv[2];
    sd_bus* bus = nullptr;
    if (sd_bus_new(&bus) < 0 || sd_bus_set_address(bus, argv[1]) < 0 ||
        sd_bus_set_bus_client(bus, 1) < 0 || sd_bus_start(bus) < 0)
        return 1;
    if (sd_bus_add_object_vtable(bus, nullptr, "/org/freedesktop/login1",
                                 "org.freedesktop.login1.Manager", kManager, nullptr) < 0 ||
        sd_bus_add_object_vtable(bus, nullptr, kSessionPath, "org.freedesktop.login1.Session",
                                 kSession, nullptr) < 0 ||
        sd_bus_request_name(bus, "org.freedesktop.login1", 0) < 0)
        return 2;
    std::printf("ready\n");
    std::fflush(stdout);
    while (sd_bus_process(bus, nullptr) >= 0)
        if (sd_bus_wait(bus, UINT64_MAX) < 0)
            break;
    return 0;
}
