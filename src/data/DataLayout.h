// What the data set holds: the names of its seven entries and the tags of the
// blocks inside them, in one place for every loader and tool that walks them.
#pragma once
#include "data/BlockReader.h"

#include <cstdint>

namespace vandrel {

// Entry names; the archive finds them without regard to ASCII case.
namespace entryName {
inline constexpr char setup[] = "stuff.x";      // sounds, set-up record, title and screens
inline constexpr char backdrop[] = "back.nb";   // the landscape layers
inline constexpr char figures[] = "figur.xx";   // figure types and their animations
inline constexpr char cursor[] = "cur.nl";      // the cross-hair
inline constexpr char largeFont[] = "font.nl";  // the clock, the score and the table
inline constexpr char smallFont[] = "fonts.nl"; // labels and the credits line
inline constexpr char ammo[] = "muni.nl";       // one cartridge
// Every entry a data set must hold.
inline constexpr const char* all[] = {setup, backdrop, figures, cursor, largeFont, smallFont, ammo};
} // namespace entryName

// Block tags, as BlockReader::readHeader reports them.
namespace blockTag {
// "stuff.x"
inline constexpr uint16_t missSound = makeTag('S', '1');
inline constexpr uint16_t emptySound = makeTag('S', '2');
inline constexpr uint16_t reloadSound = makeTag('S', '3');
inline constexpr uint16_t music = makeTag('S', '4');
inline constexpr uint16_t setupRecord = makeTag('S', 'S');
inline constexpr uint16_t titleScreen = makeTag('S', 'T');
inline constexpr uint16_t highscoreScreen = makeTag('S', 'H');
inline constexpr uint16_t endScreen = makeTag('S', 'E');
// "figur.xx"
inline constexpr uint16_t typeCount = makeTag('F', '1');
inline constexpr uint16_t hitSound = makeTag('S', 'D');
inline constexpr uint16_t hitEffect = makeTag('E', 'X');
inline constexpr uint16_t figureType = makeTag('F', '3');
inline constexpr uint16_t animationCount = makeTag('F', '4');
inline constexpr uint16_t animationId = makeTag('F', '6');
// pictures in every entry
inline constexpr uint16_t jpegColour = makeTag('J', 'P');
inline constexpr uint16_t pngMask = makeTag('P', 'G');
// a frame set's count and its frames' times and hotspots
inline constexpr uint16_t frameCount = makeTag('F', 'C');
inline constexpr uint16_t frameTimes = makeTag('T', 'I');
} // namespace blockTag

} // namespace vandrel
