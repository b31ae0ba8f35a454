// Every sound of the game as raw mono samples at 44.1 kHz, before encoding.
#pragma once
#include "Synth.h"

#include <array>

namespace vandrel::assetgen {

Samples missSound();   // a shot that hits nothing: crack and ricochet
Samples emptySound();  // the trigger on an empty magazine: a dry click
Samples reloadSound(); // the magazine going in and the bolt racked
// The hit sound of each figure type, in type order.
std::array<Samples, 12> hitSounds();
// The music: a tune with a beat whose end runs straight into its start.
Samples music();
// Beats per minute and bars of the music, for the loop length.
constexpr int musicBpm = 120;
constexpr int musicBars = 64;

} // namespace vandrel::assetgen
