// Starts like the resident program: decides through the session guard, and
// when resident reports each wake-up on stdout until it is woken `wakes` times.
#include "app/OSInfo.h"
#include "app/ProgramStart.h"
#include "app/StartupSettings.h"
#include "platform/RegistryStore.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace kelvo;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    auto guard = MakeSessionGuard();
    if (auto code = BeginResidentProgram(arguments, *guard, TOSInfoClass::Instance()))
        return *code;
    // Resident: now the files may be touched.
    CurrentStartup() = StartupSettings::Establish(arguments, TheRegistry());
    std::mutex mutex;
    std::condition_variable woken;
    int wakes = 0;
    guard->StartWatching([&] {
        std::lock_guard lock(mutex);
        ++wakes;
        woken.notify_all();
    });
    std::printf("resident\n");
    std::fflush(stdout);
    const int wanted = std::getenv("PROBE_WAKES") ? std::atoi(std::getenv("PROBE_WAKES")) : 1;
    std::unique_lock lock(mutex);
    for (int seen = 0; seen < wanted; ++seen) {
        if (!woken.wait_for(lock, std::chrono::seconds(20), [&] { return wakes > seen; }))
            return 3;
        std::printf("woken\n");
        std::fflush(stdout);
    }
    return 0;
}
