// Entry layouts as the game's loaders walk them. The figure table holds the
// tuning the game is balanced for; the picture sizes are what the screen,
// fonts and HUD positions expect.
#include "Dataset.h"

#include "BlockStream.h"
#include "Encoders.h"
#include "Glyphs.h"
#include "Landscape.h"
#include "Screens.h"
#include "Sounds.h"
#include "VorbisEncoder.h"

#include <stdexcept>

namespace vandrel::assetgen {

namespace {
constexpr int layerQuality = 88;
constexpr int spriteQuality = 92;
constexpr int screenQuality = 86;
constexpr float effectQuality = 0.4f;
constexpr float musicQuality = -0.1f;

void addPicture(BlockStream& out, const Canvas& canvas, bool withMask, int quality) {
    PicturePair pair = encodePicture(canvas, withMask, quality);
    out.add("JP", pair.jpeg);
    out.add("PG", pair.mask);
}

void addFrameSet(BlockStream& out, const Animation& a) {
    out.addI32("FC", int32_t(a.frames.size()));
    Bytes words;
    for (size_t i = 0; i < a.frames.size(); ++i)
        appendU32(words, frameInfo(a.durationMs, uint32_t(a.hotspotX), uint32_t(a.hotspotY)));
    out.add("TI", words);
    for (const Canvas& f : a.frames) addPicture(out, f, true, spriteQuality);
}

Bytes vorbis(const Samples& s, uint32_t serial, float quality) { return encodeVorbis(s, serial, quality); }
} // namespace

Bytes encodeSetup(const SetupRecord& s) {
    if (s.tableName.size() > 30) throw std::invalid_argument("the table name has at most 30 characters");
    Bytes out;
    appendI32(out, s.screenWidth);
    appendI32(out, s.screenHeight);
    appendI32(out, s.roundMinutes);
    appendI32(out, s.roundSeconds);
    appendI32(out, s.magazineSize);
    out.push_back(1); // title picture present
    out.push_back(1); // high-score picture present
    out.push_back(1); // closing picture present
    out.push_back(s.startFullScreen ? 1 : 0);
    Bytes name(31, 0);
    std::copy(s.tableName.begin(), s.tableName.end(), name.begin());
    out.insert(out.end(), name.begin(), name.end());
    return out;
}

const std::array<FigureTypeRecord, 12>& figureTypes() {
    static const std::array<FigureTypeRecord, 12> types = {{
        {32, 240, 400, 3, 45, 15, 15, 10, 1, 3, 2, 0},
        {32, 240, 400, 3, 45, 15, 15, 10, 1, 3, 3, 1},
        {33, 240, 400, 2, 30, 20, 25, 15, 1, 4, 2, 0},
        {33, 240, 400, 2, 30, 20, 25, 15, 1, 4, 3, 1},
        {4, 240, 400, 3, 35, 10, 25, 8, 1, 6, 2, 0},
        {5, 240, 400, 3, 35, 10, 25, 8, 1, 6, 3, 0},
        {6, 240, 400, 2, 30, 10, 50, 12, 1, 4, 2, 0},
        {7, 240, 400, 2, 30, 10, 50, 12, 1, 4, 3, 0},
        {29, 240, 200, 2, 30, 20, 5, 8, 1, 2, 2, 0},
        {29, 240, 200, 2, 30, 20, 5, 8, 1, 2, 3, 0},
        {31, 240, 220, 2, 100, 30, 10, 8, 1, 2, 2, 0},
        {31, 240, 220, 2, 100, 30, 10, 8, 1, 2, 3, 1},
    }};
    return types;
}

Art paintArt() {
    Art art;
    art.layers.push_back(paintSky(1280, 480));
    art.layers.push_back(paintFarMesas(1600, 480));
    art.layers.push_back(paintMidRidges(2240, 480));
    art.layers.push_back(paintForeground(3520, 480));
    art.animations = paintAnimations();
    art.starBurst = paintStarBurst();
    art.cursor = paintCrossHair();
    art.cartridge = paintCartridge();
    GlyphRenderer glyphs;
    GlyphRenderer mono(monoFontPath);
    art.largeFont = largeFontSheet(mono);
    art.smallFont = smallFontSheet(mono);
    ScreenParts parts{&art.layers, &art.animations};
    art.title = paintTitleScreen(parts, glyphs);
    art.highscores = paintHighscoreScreen(parts, glyphs);
    art.closing = paintClosingScreen(parts, glyphs);
    return art;
}

SoundSet makeSounds() {
    SoundSet s;
    s.miss = missSound();
    s.empty = emptySound();
    s.reload = reloadSound();
    s.music = music();
    s.hits = hitSounds();
    return s;
}

std::vector<Entry> buildEntries(const Art& art, const SoundSet& sounds, const SetupRecord& setup) {
    std::vector<Entry> entries;

    BlockStream back;
    back.addI32("PI", int32_t(art.layers.size()));
    for (size_t i = 0; i < art.layers.size(); ++i) addPicture(back, art.layers[i], i > 0, layerQuality);
    entries.push_back({"back.nb", back.bytes()});

    BlockStream figures;
    const auto& types = figureTypes();
    figures.addI32("F1", int32_t(types.size()));
    for (size_t t = 0; t < types.size(); ++t) {
        figures.add("SD", vorbis(sounds.hits[t], 0x56444800u + uint32_t(t), effectQuality));
        Bytes ex;
        appendI32(ex, 0); // every type shows type 0's star burst
        ex.push_back(t == 0 ? 1 : 0);
        figures.add("EX", ex);
        if (t == 0) addFrameSet(figures, art.starBurst);
        const FigureTypeRecord& r = types[t];
        Bytes f3;
        for (int32_t v : {r.animationId, r.baseY, r.ySpread, r.layer, r.baseSpeed, r.speedSpread, r.scoreValue,
                          r.maxCount, r.hitPoints, r.spawnChance, r.motion}) {
            appendI32(f3, v);
        }
        f3.push_back(r.mirrored);
        figures.add("F3", f3);
    }
    figures.addI32("F4", int32_t(art.animations.size()));
    for (const Animation& a : art.animations) {
        addFrameSet(figures, a);
        figures.addI32("F6", a.id);
    }
    entries.push_back({"figur.xx", figures.bytes()});

    BlockStream cursor;
    addPicture(cursor, art.cursor, true, spriteQuality);
    entries.push_back({"cur.nl", cursor.bytes()});

    BlockStream large;
    addPicture(large, art.largeFont, true, spriteQuality);
    entries.push_back({"font.nl", large.bytes()});

    BlockStream small;
    addPicture(small, art.smallFont, true, spriteQuality);
    entries.push_back({"fonts.nl", small.bytes()});

    BlockStream ammo;
    addPicture(ammo, art.cartridge, true, spriteQuality);
    entries.push_back({"muni.nl", ammo.bytes()});

    BlockStream stuff;
    stuff.add("S1", vorbis(sounds.miss, 0x53310001u, effectQuality));
    stuff.add("S2", vorbis(sounds.empty, 0x53320002u, effectQuality));
    stuff.add("S3", vorbis(sounds.reload, 0x53330003u, effectQuality));
    stuff.add("S4", vorbis(sounds.music, 0x53340004u, musicQuality));
    stuff.add("SS", encodeSetup(setup));
    stuff.add("ST");
    addPicture(stuff, art.title, false, screenQuality);
    stuff.add("SH");
    addPicture(stuff, art.highscores, false, screenQuality);
    stuff.add("SE");
    addPicture(stuff, art.closing, false, screenQuality);
    entries.push_back({"stuff.x", stuff.bytes()});
    return entries;
}

} // namespace vandrel::assetgen
