// The key table of gallery.toml. The defaults are the game's own: the set-up
// record's values before a data set sets them, and a figure type's fields as
// the game reads them.
#include "kit/KitKeys.h"

#include "data/SetupRecord.h"
#include "game/FigureCatalog.h"
#include "game/FigureType.h"
#include "gfx/ImageLoader.h"

#include <array>

namespace vandrel::kit {
namespace {

constexpr SetupRecord setupDefaults{};
constexpr int32_t lastLayer = FigureCatalog::layerCount - 1;
// A frame's duration and hotspot share one 32-bit word: 12 bits of
// milliseconds, 10 bits for each coordinate.
constexpr int64_t maxDuration = 4095;
constexpr int64_t maxHotspot = 1023;
// The most figures of one type at once that the game accepts.
constexpr int64_t maxFiguresPerType = 1000;
constexpr int64_t maxAnimationId = 0x7FFFFFFF;

static_assert(limits::maxPictureSide == maxImageSide && limits::maxPicturePixels == maxImagePixels,
              "the kit's picture limits are the decoder's");

// The path words in the order of the game's motion values.
constexpr std::array<std::string_view, 4> pathWords = {"right", "left", "right-wave", "left-wave"};
static_assert(MotionRight == 0 && MotionLeft == 1 && MotionWaveRight == 2 && MotionWaveLeft == 3);
constexpr std::array<std::string_view, 2> startWords = {"window", "full-screen"};

constexpr Key whole(std::string_view section, std::string_view name, int64_t lowest, int64_t highest,
                    std::optional<int64_t> fallback, std::string_view meaning) {
    return Key{.section = section,
               .name = name,
               .type = KeyType::Whole,
               .lowest = lowest,
               .highest = highest,
               .hasDefault = fallback.has_value(),
               .number = fallback.value_or(0),
               .required = !fallback,
               .meaning = meaning};
}

// A number only some kits give (a strip's frame size): no default, not required.
constexpr Key optionalWhole(std::string_view section, std::string_view name, int64_t lowest, int64_t highest,
                            std::string_view meaning) {
    Key k = whole(section, name, lowest, highest, std::nullopt, meaning);
    k.required = false;
    return k;
}

constexpr Key text(std::string_view section, std::string_view name, int64_t longest, bool required,
                   std::string_view meaning) {
    return Key{.section = section,
               .name = name,
               .type = KeyType::Text,
               .lowest = required ? 1 : 0,
               .highest = longest,
               .required = required,
               .meaning = meaning};
}

constexpr Key file(std::string_view section, std::string_view name, FileKind wants, bool required,
                   std::string_view meaning) {
    return Key{.section = section,
               .name = name,
               .type = KeyType::File,
               .required = required,
               .meaning = meaning,
               .wants = wants};
}

constexpr Key name(std::string_view section, std::string_view key, bool required, std::string_view meaning) {
    return Key{.section = section, .name = key, .type = KeyType::Name, .required = required, .meaning = meaning};
}

constexpr Section sectionTable[] = {
    {"", SectionForm::Root, 1, 1, "the format line, before every table"},
    {"gallery", SectionForm::Table, 1, 1, "the gallery as players see it, and how its rounds are set up"},
    {"layer", SectionForm::List, 1, FigureCatalog::layerCount, "the backdrop layers, far to near"},
    {"animation", SectionForm::List, 1, 256, "the frames figures and hit effects are drawn from"},
    {"figure", SectionForm::List, 1, 64, "the kinds of figure to shoot"},
    {"screens", SectionForm::Table, 0, 1, "the title, high-score and closing pictures"},
    {"cross-hair", SectionForm::Table, 1, 1, "the pointer"},
    {"cartridge", SectionForm::Table, 1, 1, "one cartridge of the magazine display"},
    {"sounds", SectionForm::Table, 0, 1, "the effect sounds and the music"},
    {"large-font", SectionForm::Table, 1, 1, "the clock, the score and the high-score table"},
    {"small-font", SectionForm::Table, 1, 1, "labels and the credits line"},
};

constexpr Key keyTable[] = {
    whole("", "format", formatVersion, formatVersion, std::nullopt, "the manifest's format; the first line"),

    text("gallery", "name", 40, true, "the gallery's name, shown to players"),
    text("gallery", "author", 80, false, "who made it"),
    text("gallery", "licence", 80, false, "the terms it may be shared under"),
    text("gallery", "version", 20, false, "the gallery's own version"),
    text("gallery", "table-name", SetupRecord::tableNameSize - 1, true,
         "the name the high-score table is stored under; keeps this gallery's scores apart"),
    text("gallery", "credits", 120, false, "the line the closing screen shows"),
    whole("gallery", "round-minutes", 0, 59, setupDefaults.roundMinutes, "a round's length: its minutes"),
    whole("gallery", "round-seconds", 0, 59, setupDefaults.roundSeconds, "a round's length: its seconds"),
    whole("gallery", "magazine", 1, 99, setupDefaults.magazineSize, "cartridges in a full magazine"),
    whole("gallery", "screen-width", 640, 640, setupDefaults.screenWidth, "the picture's width in pixels"),
    whole("gallery", "screen-height", 480, 480, setupDefaults.screenHeight, "the picture's height in pixels"),
    Key{.section = "gallery",
        .name = "start",
        .type = KeyType::Choice,
        .hasDefault = true,
        .number = setupDefaults.startFullScreen,
        .meaning = "how the game starts when the player has not chosen",
        .choices = startWords},

    file("layer", "picture", FileKind::PngOrJpeg, true,
         "the layer's picture: a PNG whose alpha is its mask, or a JPEG with `mask`"),
    file("layer", "mask", FileKind::Png, false,
         "a JPEG layer's mask: black is seen, white is see-through (the farthest layer may do without: opaque)"),

    text("animation", "name", 40, true, "the name figure types use for it"),
    optionalWhole("animation", "id", 0, maxAnimationId,
                  "the number the data set keeps it under (default: the next free one); an animation no figure "
                  "type is drawn with and without an id is only a hit effect"),
    Key{.section = "animation",
        .name = "frames",
        .type = KeyType::Files,
        .lowest = 1,
        .highest = limits::maxFramesPerAnimation,
        .meaning = "the frames as separate files, in order (or `strip`): PNGs, or JPEGs with `masks`",
        .wants = FileKind::PngOrJpeg},
    Key{.section = "animation",
        .name = "masks",
        .type = KeyType::Files,
        .lowest = 1,
        .highest = limits::maxFramesPerAnimation,
        .meaning = "the masks of JPEG frames, one per frame and in their order",
        .wants = FileKind::Png},
    file("animation", "strip", FileKind::Png, false, "the frames side by side (and in rows) in one PNG"),
    optionalWhole("animation", "frame-width", 1, limits::maxPictureSide, "a strip's frame width in pixels"),
    optionalWhole("animation", "frame-height", 1, limits::maxPictureSide,
                  "a strip's frame height in pixels (default: the strip's height)"),
    optionalWhole("animation", "count", 1, limits::maxFramesPerAnimation,
                  "frames taken from the strip (default: every whole one)"),
    whole("animation", "duration", 1, maxDuration, 100, "each frame's time on screen in milliseconds"),
    Key{.section = "animation",
        .name = "durations",
        .type = KeyType::Numbers,
        .lowest = 1,
        .highest = maxDuration,
        .meaning = "one duration per frame, instead of `duration`"},
    whole("animation", "hotspot-x", 0, maxHotspot, 0, "the point of each frame that stands on the path: x"),
    whole("animation", "hotspot-y", 0, maxHotspot, 0, "the point of each frame that stands on the path: y"),
    Key{.section = "animation",
        .name = "hotspots-x",
        .type = KeyType::Numbers,
        .lowest = 0,
        .highest = maxHotspot,
        .meaning = "one hotspot x per frame, instead of `hotspot-x`"},
    Key{.section = "animation",
        .name = "hotspots-y",
        .type = KeyType::Numbers,
        .lowest = 0,
        .highest = maxHotspot,
        .meaning = "one hotspot y per frame, instead of `hotspot-y`"},

    text("figure", "name", 40, true, "the figure type's name, for messages and hit effects"),
    name("figure", "animation", true, "the animation it is drawn with"),
    whole("figure", "layer", 0, lastLayer, std::nullopt, "the backdrop layer it moves in front of, 0 the farthest"),
    whole("figure", "height", 0, 4095, std::nullopt, "the height of its path, in pixels from the top"),
    whole("figure", "height-spread", 0, 4095, 0, "how far each figure's height may differ"),
    whole("figure", "speed", 0, 1000, std::nullopt, "its speed"),
    whole("figure", "speed-spread", 0, 1000, 0, "how far each figure's speed may differ"),
    whole("figure", "points", -100000, 100000, std::nullopt, "what a hit scores"),
    whole("figure", "most", 1, maxFiguresPerType, std::nullopt, "the most figures of the type at once"),
    whole("figure", "hits", 1, 100, 1, "hits a figure takes before it goes"),
    whole("figure", "chance", 0, 100, std::nullopt, "the chance in percent that one comes in each spawn step"),
    Key{.section = "figure",
        .name = "path",
        .type = KeyType::Choice,
        .hasDefault = true,
        .number = MotionRight,
        .meaning = "the way it moves",
        .choices = pathWords},
    Key{.section = "figure",
        .name = "mirrored",
        .type = KeyType::Switch,
        .lowest = 0,
        .highest = 1,
        .hasDefault = true,
        .number = 0,
        .meaning = "drawn mirrored when it moves left"},
    file("figure", "hit-sound", FileKind::Ogg, false, "the sound of a hit"),
    name("figure", "hit-effect", false, "the animation shown where it was hit"),
    name("figure", "hit-effect-of", false, "another figure type whose hit effect it shows"),

    file("screens", "title", FileKind::PngOrJpeg, false, "the title screen"),
    file("screens", "highscore", FileKind::PngOrJpeg, false, "the high-score screen"),
    file("screens", "end", FileKind::PngOrJpeg, false, "the closing screen"),

    file("cross-hair", "picture", FileKind::PngOrJpeg, true, "the pointer: a PNG whose alpha is its mask, or a JPEG"),
    file("cross-hair", "mask", FileKind::Png, false, "a JPEG pointer's mask"),
    whole("cross-hair", "hotspot-x", 0, maxHotspot, std::nullopt, "the pixel that aims: x"),
    whole("cross-hair", "hotspot-y", 0, maxHotspot, std::nullopt, "the pixel that aims: y"),

    file("cartridge", "picture", FileKind::PngOrJpeg, true, "one cartridge: a PNG whose alpha is its mask, or a JPEG"),
    file("cartridge", "mask", FileKind::Png, false, "a JPEG cartridge's mask"),

    file("sounds", "miss", FileKind::Ogg, false, "a shot that hits nothing"),
    file("sounds", "empty", FileKind::Ogg, false, "a shot with an empty magazine"),
    file("sounds", "reload", FileKind::Ogg, false, "reloading"),
    file("sounds", "music", FileKind::Ogg, false, "the title's music"),

    file("large-font", "sheet", FileKind::PngOrJpeg, false, "a glyph sheet: the characters in a grid (or `font`)"),
    file("large-font", "mask", FileKind::Png, false, "a JPEG glyph sheet's mask"),
    text("large-font", "characters", 256, false, "the characters of the sheet, in its order"),
    file("large-font", "font", FileKind::Font, false, "a TrueType or OpenType font, drawn at `size`"),
    whole("large-font", "size", 6, 200, 24, "the font's pixel size"),
    text("large-font", "colour", 7, false, "the font's colour as #rrggbb"),

    file("small-font", "sheet", FileKind::PngOrJpeg, false, "a glyph sheet: the characters in a grid (or `font`)"),
    file("small-font", "mask", FileKind::Png, false, "a JPEG glyph sheet's mask"),
    text("small-font", "characters", 256, false, "the characters of the sheet, in its order"),
    file("small-font", "font", FileKind::Font, false, "a TrueType or OpenType font, drawn at `size`"),
    whole("small-font", "size", 6, 200, 12, "the font's pixel size"),
    text("small-font", "colour", 7, false, "the font's colour as #rrggbb"),
};

} // namespace

std::span<const Section> sections() { return sectionTable; }
std::span<const Key> keys() { return keyTable; }

const Section* findSection(std::string_view name) {
    for (const Section& s : sectionTable)
        if (s.name == name) return &s;
    return nullptr;
}

const Key* findKey(std::string_view section, std::string_view name) {
    for (const Key& k : keyTable)
        if (k.section == section && k.name == name) return &k;
    return nullptr;
}

std::string_view describe(KeyType type) {
    switch (type) {
    case KeyType::Text: return "a string";
    case KeyType::Whole: return "a whole number";
    case KeyType::Switch: return "true or false";
    case KeyType::Choice: return "a string";
    case KeyType::File: return "a file name";
    case KeyType::Files: return "a list of file names";
    case KeyType::Numbers: return "a list of whole numbers";
    case KeyType::Name: return "a name";
    }
    return "a value";
}

std::string_view describe(FileKind kind) {
    switch (kind) {
    case FileKind::None: return "a file";
    case FileKind::Png: return "a PNG picture";
    case FileKind::PngOrJpeg: return "a PNG or JPEG picture";
    case FileKind::Ogg: return "an Ogg Vorbis sound";
    case FileKind::Font: return "a TrueType or OpenType font";
    }
    return "a file";
}

std::string defaultText(const Key& key) {
    if (!key.hasDefault) return {};
    switch (key.type) {
    case KeyType::Whole: return std::to_string(key.number);
    case KeyType::Switch: return key.number ? "true" : "false";
    case KeyType::Choice: return "\"" + std::string(key.choices[static_cast<size_t>(key.number)]) + "\"";
    default: return "\"" + std::string(key.text) + "\"";
    }
}

} // namespace vandrel::kit
