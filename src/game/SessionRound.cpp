// The running round: its clock, the magazine, the score and the head-up
// display that shows them.
#include "game/Session.h"

#include "platform/Clock.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace vandrel {

void Session::startRound() {
    lastSecondTick = tickCount();
    // Minutes and seconds come from the set-up record: the sum must not overflow.
    const int64_t seconds = int64_t{setup.roundMinutes} * 60 + setup.roundSeconds;
    secondsLeft = static_cast<int32_t>(
        std::clamp<int64_t>(seconds, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    reload();
}

void Session::useRound() {
    if (ammo > 0) ammo -= 1;
}

void Session::shotMissed() {
    missSound.playFromStart();
    useRound();
}

void Session::playEmpty() { emptySound.playFromStart(); }

bool Session::reload() {
    // Only an empty magazine can be refilled.
    if (ammo != 0) return false;
    ammo = setup.magazineSize;
    return true;
}

void Session::playReload() { reloadSound.playFromStart(); }

void Session::addScore(int32_t points) {
    const int64_t sum = static_cast<int64_t>(score) + points;
    if (sum < 0)
        score = 0;
    else if (sum > std::numeric_limits<int32_t>::max())
        score = std::numeric_limits<int32_t>::max();
    else
        score = static_cast<int32_t>(sum);
}

void Session::drawHud(VideoSurface* target, const Rect& clip) {
    // One second per frame at most: a late clock catches up a second a frame,
    // and the round ends a full second after 0:00 was first shown.
    if (tickCount() - lastSecondTick > 1000) {
        secondsLeft -= 1;
        if (secondsLeft < 0) {
            roundOver = 1;
            secondsLeft = 0;
        }
        lastSecondTick += 1000;
    }

    char text[32];
    smallFont.drawText(target, clip, 3, 6, "TIME:", false);
    std::snprintf(text, sizeof text, "%d:%.2d", secondsLeft / 60, secondsLeft % 60);
    largeFont.drawText(target, clip, 65, 2, text, false);
    smallFont.drawText(target, clip, setup.screenWidth - 200, 6, "SCORE:", false);
    std::snprintf(text, sizeof text, "%.6d", score);
    largeFont.drawText(target, clip, setup.screenWidth - 120, 2, text, false);

    // The cartridges from the right edge toward the left.
    // A huge magazine from the set-up record stops at the screen's left edge.
    for (int32_t i = 0; i < ammo; ++i) {
        const int64_t x = int64_t{setup.screenWidth} - 25 * int64_t{i} - 45;
        if (x + ammoImage.width() <= 0) break;
        ammoImage.blit(target, clip, static_cast<int32_t>(x), setup.screenHeight - 60, true, 100.0f);
    }
}

} // namespace vandrel
