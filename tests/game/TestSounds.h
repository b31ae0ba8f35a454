// Short Ogg Vorbis tones made in the test, for checking which sound a shot plays.
#pragma once
#include "support/TestArchive.h"

#include <cstdint>

namespace vandrel::test {

// A mono 44.1 kHz sine tone of the given length, as an Ogg Vorbis stream.
Bytes oggTone(int32_t milliseconds, double frequency);

} // namespace vandrel::test
