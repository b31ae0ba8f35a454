// Puts a game into states that tests cannot reach quickly, or at an exact
// value, through the player's input: a scroll position, the loading screen at
// a given bar, the high-score screen reporting itself finished, a shorter
// round; and shows the title picture to be read. Everything else a test does
// goes through the game's own verbs and queries, as the program's window
// procedure does.
#pragma once
#include "app/Game.h"
#include "base/Clock.h"
#include "support/SessionProbe.h"

#include <cstdint>

namespace vandrel {

struct GameProbe {
    static void setScroll(Game& game, int32_t scroll) { game.scroll_ = scroll; }
    // The mouse scrolls from now on, as after a frame drawn now.
    static void restartScrollClock(Game& game) { game.lastScrollTick_ = tickCount(); }
    static void showLoading(Game& game, int32_t progress) {
        game.state_ = GameState::Loading;
        game.session_.showLoadProgress(progress);
    }
    // The title picture, to be read.
    static const Surface& titleImage(const Game& game) { return SessionProbe::titleImage(game.session_); }
    // The high-score table's screen reports the player is done with it.
    static void finishHighScores(Game& game) { SessionProbe::highScores(game.session_).screen().leave(); }
    // Rounds of the given length until the next loading pass reads the set-up record again.
    static void setRoundLength(Game& game, int32_t minutes, int32_t seconds) {
        SessionProbe::setup(game.session_).roundMinutes = minutes;
        SessionProbe::setup(game.session_).roundSeconds = seconds;
    }
};

} // namespace vandrel
