// Assembles the seven archive entries from the painted pictures, the encoded
// sounds and the game's records (figure types, animations, set-up).
#pragma once
#include "Canvas.h"
#include "Figures.h"
#include "Synth.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vandrel::assetgen {

using Bytes = std::vector<uint8_t>;

// The set-up record of stuff.x; tests and packagers may override it.
struct SetupRecord {
    int32_t screenWidth = 640;
    int32_t screenHeight = 480;
    int32_t roundMinutes = 2;
    int32_t roundSeconds = 0;
    int32_t magazineSize = 10;
    bool startFullScreen = true;
    std::string tableName = "Vandrel"; // at most 30 characters
};
Bytes encodeSetup(const SetupRecord& setup);

// One figure type's parameters as the F3 record stores them.
struct FigureTypeRecord {
    int32_t animationId, baseY, ySpread, layer, baseSpeed, speedSpread, scoreValue, maxCount, hitPoints, spawnChance,
        motion;
    uint8_t mirrored;
};
const std::array<FigureTypeRecord, 12>& figureTypes();

struct Art {
    std::vector<Canvas> layers;        // back to front
    std::vector<Animation> animations; // in stored order
    Animation starBurst;
    Canvas cursor, cartridge, largeFont, smallFont;
    Canvas title, highscores, closing;
};
Art paintArt();

struct SoundSet {
    Samples miss, empty, reload, music;
    std::array<Samples, 12> hits;
};
SoundSet makeSounds();

struct Entry {
    std::string name;
    Bytes bytes;
};
// The seven entries in archive order: back.nb, figur.xx, cur.nl, font.nl,
// fonts.nl, muni.nl, stuff.x.
std::vector<Entry> buildEntries(const Art& art, const SoundSet& sounds, const SetupRecord& setup);

} // namespace vandrel::assetgen
