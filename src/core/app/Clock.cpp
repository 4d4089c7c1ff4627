#include "app/Clock.h"

namespace kelvo {

namespace {

class RealClock : public Clock {
public:
    SystemTime Now() const override { return std::chrono::system_clock::now(); }
};

} // namespace

const Clock& SystemClock() {
    static const RealClock clock;
    return clock;
}

} // namespace kelvo
