// The player's choices that change how a round plays: the figures' speed,
// the round's length, a clockless practice round and a magazine that
// reloads itself. Left at their defaults the round is the gallery's own.
#pragma once
#include "game/PlayClock.h"
#include "gfx/CursorStyle.h"
#include "scores/TableKind.h"

#include <cstdint>

namespace vandrel {

struct PlayOptions {
    static constexpr int32_t fullSpeed = PlayClock::fullSpeed;
    // Per cent of the figures' own pace: their paths, animations, spawning,
    // hit effects and score popups (1 to 100). The round's clock keeps its pace.
    int32_t speedPercent = fullSpeed;
    // The round's length in seconds; 0 is the data set's.
    int32_t roundSeconds = 0;
    // An empty magazine refills by itself once the reload sound has played.
    bool autoReload = false;
    // No clock: the round runs until Escape and keeps no score.
    bool practice = false;
    // The cross-hair's look: it changes no shot, but it is in every frame, so
    // a recording carries it for its replay to draw the same frames.
    CursorStyle cursor;

    bool operator==(const PlayOptions&) const = default;
    bool isDefault() const { return *this == PlayOptions{}; }
    // Scores made with help go to a table of their own.
    TableKind tableKind() const {
        return speedPercent < fullSpeed || roundSeconds != 0 || autoReload ? TableKind::Assisted : TableKind::Standard;
    }
};

} // namespace vandrel
