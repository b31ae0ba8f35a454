// The player's sound levels in per cent and the mute switches, as the
// settings file keeps them and the mixer applies them.
#pragma once
#include <cstdint>

namespace vandrel {

struct SoundLevels {
    // What one press of - or + changes the master level by.
    static constexpr int32_t step = 10;
    int32_t master = 100;
    int32_t music = 100;
    int32_t effects = 100;
    bool mute = false;
    // The music falls silent too while another window has the focus.
    bool muteInBackground = false;
    friend bool operator==(const SoundLevels&, const SoundLevels&) = default;
};

} // namespace vandrel
