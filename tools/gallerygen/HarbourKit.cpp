// The harbour gallery as a kit: its files and the gallery.toml that says what
// each is for, with the figures' paths, speeds and points.
#include "Glyphs.h"
#include "Harbour.h"
#include "KitFolder.h"

#include "gfx/FontCells.h"

#include <cstdio>

namespace vandrel::gallerygen {

using namespace assetgen;

namespace {

// The game's font sheets in moonlight: their shading kept, the lamp-gold
// turned to a pale blue white.
Canvas moonlit(const Canvas& sheet) {
    Canvas out = sheet;
    for (int y = 0; y < sheet.height(); ++y) {
        for (int x = 0; x < sheet.width(); ++x) {
            const Rgb p = sheet.colour(x, y);
            const float lum = 0.3f * p.r + 0.59f * p.g + 0.11f * p.b;
            const Rgb cool = lum < 0.5f ? mix(rgb(6, 10, 30), rgb(110, 160, 220), lum * 2)
                                        : mix(rgb(110, 160, 220), rgb(246, 250, 255), lum * 2 - 1);
            out.set(x, y, cool, sheet.alpha(x, y));
        }
    }
    return out;
}

// One figure type: what the manifest says of it.
struct FigureLine {
    const char* name;
    int layer, height, heightSpread, speed, speedSpread, points, most, hits, chance;
    const char* path;
    bool mirrored;
    const char* effect;
};

// The harbour's figures. The flyers cross in waves in front of the far
// shore, the basin and the quay; the boats keep to their water lines (the
// tug and the ghost ship on the outer water above the far quay's wall, the
// rowing boat on the basin).
// The tug takes three hits; the ghost ship is worth ten rowing boats, comes
// alone, seldom, and hurries past.
const FigureLine figures[] = {
    {"gull", 2, 190, 240, 55, 20, 15, 6, 1, 5, "right-wave", false, "sparks"},
    {"gull-far", 1, 140, 160, 35, 10, 20, 6, 1, 4, "left-wave", true, "sparks"},
    {"bat", 3, 150, 200, 110, 40, 25, 4, 1, 3, "left-wave", true, "sparks"},
    {"owl", 2, 170, 160, 45, 10, 30, 3, 1, 3, "right-wave", false, "sparks"},
    {"lantern", 1, 130, 160, 16, 6, 40, 4, 1, 3, "left", false, "sparks"},
    {"rowboat", 2, 428, 8, 22, 6, 50, 2, 1, 3, "right", false, "splash"},
    {"tug", 1, 336, 2, 18, 4, 80, 1, 3, 2, "left", true, "splash"},
    {"ghost-ship", 1, 338, 2, 80, 20, 500, 1, 2, 1, "right", false, "splash"},
};

constexpr int layerQuality = 88;
constexpr int screenQuality = 86;
constexpr float effectQuality = 0.4f;
constexpr float musicQuality = -0.1f;

} // namespace

KitFolder makeHarbourKit() {
    KitFolder kit;
    std::string& t = kit.manifest();
    t += "format = 1\n"
         "# The harbour at night: gulls, bats and owls over the water, sky lanterns, boats on\n"
         "# the basin and, now and then, a ghost ship. Painted and played by Vandrel's own code.\n\n"
         "[gallery]\n"
         "name = \"Hafen bei Nacht\"\n"
         "author = \"The Vandrel developers\"\n"
         "licence = \"MIT\"\n"
         "version = \"1\"\n"
         "table-name = \"Hafen\"\n"
         "credits = \"Hafen bei Nacht - Bilder, Klang und Musik aus Vandrels eigener Werkstatt\"\n"
         "round-minutes = 2\n"
         "round-seconds = 0\n"
         "magazine = 8\n";

    const std::vector<Canvas> layers = paintHarbourLayers();
    const char* layerNames[4] = {"sky", "shore", "basin", "quay"};
    t += "\n# Far to near; the sky is opaque, the others show what is behind them where they are clear.\n";
    for (size_t i = 0; i < layers.size(); ++i) {
        const std::string name = std::string("layers/") + layerNames[i];
        const std::string& file =
            i == 0 ? kit.addJpeg(name + ".jpg", layers[i], layerQuality) : kit.addPng(name + ".png", layers[i]);
        t += "[[layer]]\npicture = " + quoted(file) + "\n";
    }

    const std::vector<Sprite> sprites = paintHarbourSprites();
    t += "\n# Every figure's frames and the two hit effects, each a strip of frames side by side.\n";
    for (const Sprite& s : sprites) {
        const std::string& file = kit.addStrip("frames/" + s.name + ".png", s.frames);
        char keys[200];
        std::snprintf(keys, sizeof keys, "frame-width = %d\nduration = %d\nhotspot-x = %d\nhotspot-y = %d\n",
                      s.frames.front().width(), s.durationMs, s.hotspotX, s.hotspotY);
        t += "[[animation]]\nname = " + quoted(s.name) + "\nstrip = " + quoted(file) + "\n" + keys;
    }

    const HarbourSounds sounds = makeHarbourSounds();
    t += "\n# The figures: where they fly or sail, how fast, what a hit scores.\n";
    uint32_t serial = 0x48414600u; // "HAF" and a number per sound
    for (const FigureLine& f : figures) {
        std::string sound;
        for (const auto& [name, samples] : sounds.hits)
            if (name == f.name) sound = kit.addSound("sounds/" + name + ".ogg", samples, serial++, effectQuality);
        char keys[400];
        std::snprintf(keys, sizeof keys,
                      "layer = %d\nheight = %d\nheight-spread = %d\nspeed = %d\nspeed-spread = %d\npoints = %d\n"
                      "most = %d\nhits = %d\nchance = %d\npath = \"%s\"\nmirrored = %s\n",
                      f.layer, f.height, f.heightSpread, f.speed, f.speedSpread, f.points, f.most, f.hits, f.chance,
                      f.path, f.mirrored ? "true" : "false");
        t += "[[figure]]\nname = " + quoted(f.name) + "\nanimation = " + quoted(f.name) + "\n" + keys +
             "hit-sound = " + quoted(sound) + "\nhit-effect = " + quoted(f.effect) + "\n";
    }

    const HarbourScreens screens = paintHarbourScreens(layers, sprites);
    t += "\n[screens]\ntitle = " + quoted(kit.addJpeg("screens/title.jpg", screens.title, screenQuality)) +
         "\nhighscore = " + quoted(kit.addJpeg("screens/highscore.jpg", screens.highscore, screenQuality)) +
         "\nend = " + quoted(kit.addJpeg("screens/end.jpg", screens.end, screenQuality)) + "\n";

    t += "\n[cross-hair]\npicture = " + quoted(kit.addPng("pointer/cross-hair.png", paintHarbourCrossHair())) +
         "\nhotspot-x = 16\nhotspot-y = 16\n";
    t += "\n[cartridge]\npicture = " + quoted(kit.addPng("pointer/cartridge.png", paintHarbourCartridge())) + "\n";

    const std::string miss = kit.addSound("sounds/miss.ogg", sounds.miss, serial++, effectQuality);
    const std::string empty = kit.addSound("sounds/empty.ogg", sounds.empty, serial++, effectQuality);
    const std::string reload = kit.addSound("sounds/reload.ogg", sounds.reload, serial++, effectQuality);
    const std::string music = kit.addSound("music/night.ogg", sounds.music, serial++, musicQuality);
    t += "\n[sounds]\nmiss = " + quoted(miss) + "\nempty = " + quoted(empty) + "\nreload = " + quoted(reload) +
         "\nmusic = " + quoted(music) + "\n";

    // The game's own letter shapes, in moonlight.
    GlyphRenderer mono(monoFontPath);
    const std::string characters = quoted(fontCells::order);
    t += "\n[large-font]\nsheet = " + quoted(kit.addPng("fonts/large.png", moonlit(largeFontSheet(mono)))) +
         "\ncharacters = " + characters + "\n";
    t += "\n[small-font]\nsheet = " + quoted(kit.addPng("fonts/small.png", moonlit(smallFontSheet(mono)))) +
         "\ncharacters = " + characters + "\n";
    return kit;
}

} // namespace vandrel::gallerygen
