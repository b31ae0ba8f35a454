// The game's only clock: unsigned 32-bit milliseconds that wrap at 2^32.
// Tests replace the system clock with a manual one they set and advance.
#pragma once
#include <cstdint>

namespace vandrel {

// Milliseconds since an arbitrary start; monotonic, wraps at 2^32, not 0 at start.
uint32_t tickCount();

// Sleeps for at least ms milliseconds (a manual clock advances by ms instead).
void sleepMs(uint32_t ms);

// A clock that stands still until a test moves it. Installing one makes
// tickCount() return its value and sleepMs() advance it; destroying it
// (or calling uninstall) puts the system clock back.
class ManualClock {
public:
    explicit ManualClock(uint32_t start = 1000);
    ~ManualClock();
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void set(uint32_t now) { now_ = now; }
    void advance(uint32_t ms) { now_ += ms; }
    uint32_t now() const { return now_; }

private:
    friend uint32_t tickCount();
    friend void sleepMs(uint32_t);
    uint32_t now_;
};

} // namespace vandrel
