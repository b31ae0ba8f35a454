// The round's rules: its clock, the magazine and the score.
#include "game/Round.h"

#include "data/SetupRecord.h"
#include "base/Clock.h"

#include <algorithm>
#include <limits>

namespace vandrel {

void Round::start(const SetupRecord& setup) {
    // A round that ran out in the frame Escape left it must not end this one.
    over = 0;
    lastSecondTick = tickCount();
    // Minutes and seconds come from the set-up record: the sum must not overflow.
    const int64_t seconds = int64_t{setup.roundMinutes} * 60 + setup.roundSeconds;
    secondsLeft = static_cast<int32_t>(
        std::clamp<int64_t>(seconds, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    // Full to the set-up's size whatever it held before (a negative size as it
    // stands: no shot), and no score yet.
    ammo = setup.magazineSize;
    score = 0;
}

void Round::useRound() {
    if (ammo > 0) ammo -= 1;
}

bool Round::reload(int32_t magazineSize) {
    // Only an empty magazine can be refilled.
    if (ammo > 0) return false;
    ammo = std::max(magazineSize, 0);
    return true;
}

void Round::addScore(int32_t points) {
    const int64_t sum = static_cast<int64_t>(score) + points;
    if (sum < 0)
        score = 0;
    else if (sum > std::numeric_limits<int32_t>::max())
        score = std::numeric_limits<int32_t>::max();
    else
        score = static_cast<int32_t>(sum);
}

void Round::countDown(uint32_t now) {
    if (now - lastSecondTick > 1000) {
        secondsLeft -= 1;
        if (secondsLeft < 0) {
            over = 1;
            secondsLeft = 0;
        }
        lastSecondTick += 1000;
    }
}

} // namespace vandrel
