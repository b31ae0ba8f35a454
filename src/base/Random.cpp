// One process-wide generator state, as the C runtime keeps it.
#include "base/Random.h"

namespace vandrel {
namespace {
uint32_t state = 1;
}

int gameRand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFF);
}

uint32_t gameRandState() { return state; }

void setGameRandState(uint32_t s) { state = s; }

} // namespace vandrel
