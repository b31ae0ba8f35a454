// The round's rules: its clock, the magazine and the score.
#include "game/Round.h"

#include "base/Clock.h"
#include "data/SetupRecord.h"

#include <algorithm>
#include <limits>

namespace vandrel {

void Round::start(const SetupRecord& setup, int32_t seconds) {
    // A round that ran out in the frame Escape left it must not end this one.
    over_ = 0;
    lastSecondTick_ = tickCount();
    // Minutes and seconds come from the set-up record: the sum must not overflow.
    const int64_t length = seconds > 0 ? seconds : int64_t{setup.roundMinutes} * 60 + setup.roundSeconds;
    secondsLeft_ = static_cast<int32_t>(
        std::clamp<int64_t>(length, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    // Full to the set-up's size whatever it held before (a negative size as it
    // stands: no shot), and no score yet.
    ammo_ = setup.magazineSize;
    score_ = 0;
    emptied_ = false;
}

void Round::useRound() {
    if (ammo_ <= 0) return;
    ammo_ -= 1;
    if (ammo_ == 0) {
        emptied_ = true;
        emptiedAt_ = tickCount();
    }
}

bool Round::reload(int32_t magazineSize) {
    // Only an empty magazine can be refilled.
    if (ammo_ > 0) return false;
    ammo_ = std::max(magazineSize, 0);
    emptied_ = false;
    return true;
}

void Round::addScore(int32_t points) {
    const int64_t sum = static_cast<int64_t>(score_) + points;
    if (sum < 0)
        score_ = 0;
    else if (sum > std::numeric_limits<int32_t>::max())
        score_ = std::numeric_limits<int32_t>::max();
    else
        score_ = static_cast<int32_t>(sum);
}

void Round::countDown(uint32_t now) {
    if (now - lastSecondTick_ > 1000) {
        secondsLeft_ -= 1;
        if (secondsLeft_ < 0) {
            over_ = 1;
            secondsLeft_ = 0;
        }
        lastSecondTick_ += 1000;
    }
}

int32_t Round::handOverScore() {
    const int32_t handed = score_;
    score_ = 0;
    over_ = 0;
    return handed;
}

} // namespace vandrel
