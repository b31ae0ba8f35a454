// The kind of device the player last used. Only what the host draws for the
// player (how to start a round) asks for it; the game never does.
#pragma once
#include <cstdint>

namespace vandrel {

enum class InputDevice : int32_t { Mouse, Keyboard, Touch, Pad };

} // namespace vandrel
