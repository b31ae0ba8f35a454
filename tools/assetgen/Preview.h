// Review output: every picture as a PNG, one contact sheet per entry and a
// mock-up of a play frame built the way the game layers it.
#pragma once
#include "Dataset.h"

#include <string>

namespace vandrel::assetgen {

// Writes into dir (which must exist); returns false if a file could not be written.
bool writePreview(const Art& art, const std::string& dir);
// Every sound as a WAV file for listening, and a picture of the music's
// waveform around its loop point (the last half second, then the first).
bool writeSoundPreview(const SoundSet& sounds, const std::string& dir);

// A play frame: layers and figures at the given scroll, HUD, cursor.
Canvas mockupFrame(const Art& art, int scroll);

} // namespace vandrel::assetgen
