// The figures' clock: the game's milliseconds at the game speed's share of
// their real pace, counted from the round's start. At full speed it is the
// game's clock itself, value for value.
#pragma once
#include "base/Clock.h"

#include <cstdint>

namespace vandrel {

class PlayClock {
public:
    static constexpr int32_t fullSpeed = 100;

    // From now on the clock runs at percent (1 to 100) of the real pace,
    // starting from the real time now: play time and real time agree there.
    void restart(uint32_t now, int32_t percent) {
        realStart_ = now;
        percent_ = percent;
    }
    int32_t percent() const { return percent_; }

    // The play time at the real time real, not before the last restart.
    // Whole milliseconds, rounded down, from 64-bit integer arithmetic: the
    // same on every build, and exact at full speed.
    uint32_t at(uint32_t real) const {
        if (percent_ >= fullSpeed) return real;
        const uint64_t elapsed = real - realStart_;
        return realStart_ + static_cast<uint32_t>(elapsed * static_cast<uint64_t>(percent_) / uint64_t{fullSpeed});
    }
    uint32_t now() const { return at(tickCount()); }

private:
    uint32_t realStart_ = 0;
    int32_t percent_ = fullSpeed;
};

} // namespace vandrel
