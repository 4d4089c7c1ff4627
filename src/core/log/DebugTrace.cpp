#include "log/DebugTrace.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace kelvo {

namespace {

std::mutex& TraceMutex() {
    static std::mutex mutex;
    return mutex;
}

std::function<void(std::string_view)>& Sink() {
    static std::function<void(std::string_view)> sink;
    return sink;
}

} // namespace

void DebugTrace(std::string_view text) {
    std::lock_guard lock(TraceMutex());
    if (Sink()) {
        Sink()(text);
        return;
    }
    static const char* file = std::getenv("KELVOBACKUP_TRACE");
    if (!file || !*file)
        return;
    if (std::FILE* out = std::fopen(file, "a")) {
        std::fprintf(out, "%.*s\n", static_cast<int>(text.size()), text.data());
        std::fclose(out);
    }
}

void SetDebugTraceSink(std::function<void(std::string_view)> sink) {
    std::lock_guard lock(TraceMutex());
    Sink() = std::move(sink);
}

} // namespace kelvo
