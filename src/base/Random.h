// The game's random numbers: the classic linear congruential generator of the
// Windows C runtime, never seeded by the game, so runs repeat exactly.
#pragma once
#include <cstdint>

namespace vandrel {

// 0..32767. state = state * 214013 + 2531011; result = (state >> 16) & 0x7FFF.
int gameRand();

// The generator's state, for tests and for recording a session.
uint32_t gameRandState();
void setGameRandState(uint32_t state);

// Back to the state of a fresh process (1).
inline void reseedGameRand() { setGameRandState(1); }

} // namespace vandrel
