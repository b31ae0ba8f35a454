// System and manual clocks behind tickCount().
#include "base/Clock.h"

#include <chrono>
#include <thread>

namespace vandrel {
namespace {

ManualClock* manualClock = nullptr;

// Start the counter at an offset so that the first value is never 0 and the
// wrap at 2^32 is reached as it would be on a long-running machine.
constexpr uint32_t startOffset = 0x10000;

uint32_t systemTicks() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    auto ms = duration_cast<milliseconds>(steady_clock::now() - start).count();
    return static_cast<uint32_t>(static_cast<uint64_t>(ms) + startOffset);
}

} // namespace

uint32_t tickCount() { return manualClock ? manualClock->now_ : systemTicks(); }

void sleepMs(uint32_t ms) {
    if (manualClock) {
        manualClock->now_ += ms;
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

ManualClock::ManualClock(uint32_t start) : now_(start) { manualClock = this; }

ManualClock::~ManualClock() {
    if (manualClock == this) manualClock = nullptr;
}

} // namespace vandrel
