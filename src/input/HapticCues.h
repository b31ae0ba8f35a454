// When a player's hands should feel the game: a short rumble of a pad or a
// phone when a shot hits (the score moves) and when the magazine runs empty.
// The backends hear what a round's head-up display shows every frame and
// learn the moments from its changes, so the game never knows of the device.
#pragma once
#include <cstdint>

namespace vandrel {

// What the head-up display shows; inRound false outside a round.
struct RoundShown {
    bool inRound = false;
    int32_t score = 0;
    int32_t ammo = 0;

    bool operator==(const RoundShown&) const = default;
};

enum class HapticCue { None, Hit, Empty };

class HapticCues {
public:
    // The cue of this frame after the last one told: a hit when the score
    // changed within a round, else an empty magazine when its last cartridge
    // went. A round's start and what a frame outside a round shows are no cue.
    HapticCue next(const RoundShown& now);

    // How long a cue's rumble lasts, in milliseconds, and its strength
    // (0 to 65535): a hit is felt more than the empty magazine's click.
    static uint32_t lengthMs(HapticCue cue) { return cue == HapticCue::Hit ? 60 : cue == HapticCue::Empty ? 35 : 0; }
    static uint16_t strength(HapticCue cue) {
        return cue == HapticCue::Hit ? 0xB000 : cue == HapticCue::Empty ? 0x6000 : 0;
    }

private:
    RoundShown last_;
};

} // namespace vandrel
