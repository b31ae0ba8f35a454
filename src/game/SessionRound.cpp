// The session's side of the running round: the sounds of the magazine and
// the head-up display that shows the round's clock, cartridges and score.
#include "game/Session.h"

#include "platform/Clock.h"

#include <cstdio>

namespace vandrel {

void Session::startRound() { round.start(setup); }

void Session::useRound() { round.useRound(); }

void Session::shotMissed() {
    missSound.playFromStart();
    useRound();
}

void Session::playEmpty() { emptySound.playFromStart(); }

bool Session::reload() { return round.reload(setup.magazineSize); }

void Session::playReload() { reloadSound.playFromStart(); }

void Session::addScore(int32_t points) { round.addScore(points); }

void Session::drawHud(VideoSurface* target, const Rect& clip) {
    round.countDown(tickCount());

    char text[32];
    smallFont.drawText(target, clip, 3, 6, "TIME:", false);
    std::snprintf(text, sizeof text, "%d:%.2d", round.secondsLeft / 60, round.secondsLeft % 60);
    largeFont.drawText(target, clip, 65, 2, text, false);
    smallFont.drawText(target, clip, setup.screenWidth - 200, 6, "SCORE:", false);
    std::snprintf(text, sizeof text, "%.6d", round.score);
    largeFont.drawText(target, clip, setup.screenWidth - 120, 2, text, false);

    // The cartridges from the right edge toward the left.
    // A huge magazine from the set-up record stops at the screen's left edge.
    for (int32_t i = 0; i < round.ammo; ++i) {
        const int64_t x = int64_t{setup.screenWidth} - 25 * int64_t{i} - 45;
        if (x + ammoImage.width() <= 0) break;
        ammoImage.blit(target, clip, static_cast<int32_t>(x), setup.screenHeight - 60, true, 100.0f);
    }
}

} // namespace vandrel
