// A round's shown score and magazine to the moments a player feels.
#include "input/HapticCues.h"

namespace vandrel {

HapticCue HapticCues::next(const RoundShown& now) {
    const RoundShown last = last_;
    last_ = now;
    if (!last.inRound || !now.inRound) return HapticCue::None;
    if (now.score != last.score) return HapticCue::Hit;
    if (last.ammo > 0 && now.ammo <= 0) return HapticCue::Empty;
    return HapticCue::None;
}

} // namespace vandrel
