// Tests of the kit compiler: the minimal kit compiles into entries the game's
// own loaders read with the layers, figure types, frames and hotspots the
// manifest names; PNGs with alpha and strips become the game's picture form;
// a maker's changes reach the set; broken kits give messages, never a crash.
#include "kit/KitCompile.h"
#include "kit/KitFiles.h"
#include "kit/KitFont.h"
#include "kit/KitPictures.h"

#include "data/DataLayout.h"
#include "game/Backdrop.h"
#include "game/FigureCatalog.h"
#include "game/FigureType.h"
#include "gfx/Font.h"
#include "gfx/ImageLoader.h"
#include "gfx/Surface.h"
#include "support/TestArchive.h"
#include "video/VideoDevice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

namespace vandrel::kit {
namespace {

namespace fs = std::filesystem;

using test::kitWith;
using test::minimalManifest;
using test::writeFile;

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string problemsOf(const CompiledKit& kit) {
    std::string out;
    for (const Problem& p : kit.problems) out += p.text() + "\n";
    return out;
}

// The compiled entries as a zip the game's readers open.
struct CompiledSet {
    explicit CompiledSet(const CompiledKit& kit) : archive(toPairs(kit)) {}
    static std::vector<std::pair<std::string, test::Bytes>> toPairs(const CompiledKit& kit) {
        std::vector<std::pair<std::string, test::Bytes>> out;
        for (const DataEntry& e : kit.entries) out.push_back({e.name, e.bytes});
        return out;
    }
    BlockReader& open(const char* name) { return archive.entry(name); }
    test::TestArchive archive;
};

class KitCompile : public ::testing::Test {
protected:
    VideoDevice device{PixelFormat::xrgb32()};
};

TEST_F(KitCompile, TheMinimalKitLoadsThroughTheGamesReaders) {
    const CompiledKit kit = compileKit(kitWith("compile-minimal", minimalManifest()).string());
    ASSERT_TRUE(kit.ok()) << problemsOf(kit);
    ASSERT_EQ(kit.entries.size(), 7u);
    EXPECT_EQ(kit.entries[0].name, entryName::backdrop);
    EXPECT_EQ(kit.entries[6].name, entryName::setup);
    CompiledSet set(kit);

    // The PNG layer split into colour and mask, the JPEG one carried with its mask.
    Backdrop backdrop;
    ASSERT_TRUE(loadImageList(&set.open(entryName::backdrop), &backdrop, &device));
    ASSERT_EQ(backdrop.layerCount(), 2);
    EXPECT_EQ(backdrop.layer(0)->width(), 800);
    EXPECT_EQ(backdrop.layer(0)->height(), 100);
    EXPECT_FALSE(backdrop.layer(0)->isOpaqueAt(400, 9));
    EXPECT_TRUE(backdrop.layer(0)->isOpaqueAt(400, 10));
    EXPECT_EQ(backdrop.layer(1)->width(), 640);
    EXPECT_FALSE(backdrop.layer(1)->isOpaqueAt(5, 5)); // its mask is all white: see-through

    FigureCatalog figures;
    ASSERT_TRUE(figures.load(&set.open(entryName::figures), &device));
    ASSERT_EQ(figures.typeCount(), 1);
    const FigureType& bird = *figures.typeAt(0);
    EXPECT_EQ(bird.scoreValue, 10);
    EXPECT_EQ(bird.baseSpeed, 3);
    EXPECT_EQ(bird.layer, 1);
    EXPECT_EQ(bird.maxCount, 5);
    EXPECT_EQ(bird.spawnChance, 40);
    EXPECT_EQ(bird.motion, 2); // right-wave
    ASSERT_NE(bird.effectFrames, nullptr);
    EXPECT_EQ(bird.effectFrames->frameCount, 2);
    EXPECT_EQ(bird.effectFrames->totalDuration, 120);
    // The strip cut into four frames of 16 x 16, each open in its left column.
    const Animation* flight = figures.findAnimation(bird.animationId);
    ASSERT_NE(flight, nullptr);
    ASSERT_EQ(flight->frames.frameCount, 4);
    EXPECT_EQ(flight->frames.totalDuration, 320);
    for (const auto& frame : flight->frames.frames) {
        EXPECT_EQ(frame->surface.width(), 16);
        EXPECT_EQ(frame->surface.height(), 16);
        EXPECT_EQ(frame->hotspotX(), 8u);
        EXPECT_EQ(frame->hotspotY(), 8u);
        EXPECT_FALSE(frame->surface.isOpaqueAt(0, 5));
        EXPECT_TRUE(frame->surface.isOpaqueAt(1, 5));
    }

    Surface cursor;
    ASSERT_TRUE(loadImage(&set.open(entryName::cursor), &cursor, &device));
    EXPECT_EQ(cursor.width(), 16);
    Font large;
    ASSERT_TRUE(large.load(&set.open(entryName::largeFont), &device));
    EXPECT_EQ(large.sheet().width(), 13 * 12);
    EXPECT_EQ(large.sheet().height(), 6 * 16);
}

TEST_F(KitCompile, ALayerPngAndFigureValuesChangedReachTheSet) {
    const fs::path dir = kitWith("compile-changed", replaced(replaced(minimalManifest(), "points = 10", "points = 77"),
                                                             "speed = 3", "speed = 6"));
    writeFile(dir / "layers/far.png", test::rgbaPng(960, 120, [](int32_t x, int32_t) { return x < 50 ? 0 : 255; }));
    const CompiledKit kit = compileKit(dir.string());
    ASSERT_TRUE(kit.ok()) << problemsOf(kit);
    CompiledSet set(kit);
    Backdrop backdrop;
    ASSERT_TRUE(loadImageList(&set.open(entryName::backdrop), &backdrop, &device));
    EXPECT_EQ(backdrop.layer(0)->width(), 960);
    EXPECT_EQ(backdrop.layer(0)->height(), 120);
    EXPECT_FALSE(backdrop.layer(0)->isOpaqueAt(49, 0));
    EXPECT_TRUE(backdrop.layer(0)->isOpaqueAt(50, 0));
    FigureCatalog figures;
    ASSERT_TRUE(figures.load(&set.open(entryName::figures), &device));
    EXPECT_EQ(figures.typeAt(0)->scoreValue, 77);
    EXPECT_EQ(figures.typeAt(0)->baseSpeed, 6);
}

TEST_F(KitCompile, AGridGivesItsFramesInRowsAndTheSameKitTheSameBytes) {
    const std::string grid = replaced(minimalManifest(), "strip = \"frames/bird.png\"\nframe-width = 16",
                                      "strip = \"frames/grid.png\"\nframe-width = 16\nframe-height = 8\ncount = 3");
    const fs::path dir = kitWith("compile-grid", grid);
    writeFile(dir / "frames/grid.png", test::rgbaPng(32, 16));
    const CompiledKit kit = compileKit(dir.string());
    ASSERT_TRUE(kit.ok()) << problemsOf(kit);
    CompiledSet set(kit);
    FigureCatalog figures;
    ASSERT_TRUE(figures.load(&set.open(entryName::figures), &device));
    const Animation* flight = figures.findAnimation(figures.typeAt(0)->animationId);
    ASSERT_NE(flight, nullptr);
    ASSERT_EQ(flight->frames.frameCount, 3);
    EXPECT_EQ(flight->frames.frames[2]->surface.width(), 16);
    EXPECT_EQ(flight->frames.frames[2]->surface.height(), 8);

    const CompiledKit again = compileKit(dir.string());
    ASSERT_EQ(again.entries.size(), kit.entries.size());
    for (size_t i = 0; i < kit.entries.size(); ++i) EXPECT_EQ(again.entries[i].bytes, kit.entries[i].bytes) << i;
}

// The font the data set generator draws with, a build dependency of the game.
const char* const buildFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

TEST_F(KitCompile, AFontIsDrawnIntoTheGamesCellsOrRefusedAtItsLine) {
    const std::string drawn = replaced(minimalManifest(), "[small-font]\nsheet = \"fonts/small.png\"",
                                       "[small-font]\nfont = \"fonts/drawn.ttf\"\nsize = 20\ncolour = \"#ff0000\"");
    const fs::path dir = kitWith("compile-font", drawn);
    // A cross build has neither FreeType nor the build machine's fonts.
    fs::copy_file(canDrawFonts() ? fs::path(buildFont) : dir / "fonts/small.ttf", dir / "fonts/drawn.ttf");
    const CompiledKit kit = compileKit(dir.string());
    // The font line of the manifest: the small font's section starts it.
    const std::string fontLine =
        std::to_string(std::count(drawn.begin(), drawn.begin() + drawn.find("font = \"fonts/drawn"), '\n') + 1);
    if (!canDrawFonts()) {
        EXPECT_FALSE(kit.ok());
        EXPECT_NE(problemsOf(kit).find("gallery.toml:" + fontLine + ":8: error: \"fonts/drawn.ttf\": this build"),
                  std::string::npos)
            << problemsOf(kit);
        return;
    }
    ASSERT_TRUE(kit.ok()) << problemsOf(kit);
    CompiledSet set(kit);
    Font small;
    ASSERT_TRUE(small.load(&set.open(entryName::smallFont), &device));
    const SheetLayout& cells = smallSheet;
    EXPECT_EQ(small.sheet().width(), 13 * cells.cellWidth);
    EXPECT_EQ(small.sheet().height(), 6 * cells.cellHeight);
    const auto inked = [&](char ch) {
        const int32_t cell = Font::cellOf(ch);
        int32_t n = 0;
        for (int32_t y = 0; y < cells.cellHeight; ++y)
            for (int32_t x = 0; x < cells.cellWidth; ++x)
                n += small.sheet().isOpaqueAt(cell % 13 * cells.cellWidth + x, cell / 13 * cells.cellHeight + y);
        return n;
    };
    // A glyph inks part of its cell; a dot far less than a W.
    EXPECT_GT(inked('W'), 20);
    EXPECT_LT(inked('W'), cells.cellWidth * cells.cellHeight / 2);
    EXPECT_GT(inked('.'), 0);
    EXPECT_LT(inked('.') * 4, inked('W'));

    // A file with a font's tag and nothing a font holds.
    const fs::path fake = kitWith("compile-font-fake", replaced(drawn, "fonts/drawn.ttf", "fonts/small.ttf"));
    const CompiledKit refused = compileKit(fake.string());
    EXPECT_FALSE(refused.ok());
    EXPECT_NE(problemsOf(refused).find("gallery.toml:" + fontLine + ":8: error: \"fonts/small.ttf\": is not a font"),
              std::string::npos)
        << problemsOf(refused);
}

TEST(KitPictures, SplitCutAndDecodeKeepEveryPixelWhereItBelongs) {
    std::string why;
    // Red is x and green y in the test PNGs; the alpha threshold is 128.
    const auto sheet = decodePng(test::rgbaPng(6, 4, [](int32_t x, int32_t y) { return x == y ? 127 : 128; }), why);
    ASSERT_TRUE(sheet) << why;
    const std::vector<RgbaPicture> frames = cutFrames(*sheet, 2, 2, 5);
    ASSERT_EQ(frames.size(), 5u);
    for (size_t i = 0; i < frames.size(); ++i) {
        // The first pixel of frame i, left to right, then the next row.
        EXPECT_EQ(frames[i].pixels[0], static_cast<uint8_t>(i % 3 * 2)) << i;
        EXPECT_EQ(frames[i].pixels[1], static_cast<uint8_t>(i / 3 * 2)) << i;
        EXPECT_EQ(frames[i].width, 2);
    }
    const PicturePair opaque = splitPicture(frames[1]); // x 2..3, y 0..1: no x == y
    EXPECT_TRUE(opaque.mask.empty());
    EXPECT_EQ(opaque.jpeg[0], 0xFF);
    EXPECT_EQ(opaque.jpeg[1], 0xD8);
    const PicturePair open = splitPicture(frames[0]);
    ASSERT_FALSE(open.mask.empty());
    // The mask is a 1-bit grey PNG: bit depth 1, colour type 0 in its header.
    EXPECT_EQ(open.mask[24], 1);
    EXPECT_EQ(open.mask[25], 0);

    // Damaged: cut short, no image data, a size past the limits.
    std::vector<uint8_t> cut = test::rgbaPng(20, 20);
    cut.resize(cut.size() / 2);
    EXPECT_FALSE(decodePng(cut, why));
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(decodePng(std::vector<uint8_t>(40, 0x89), why));
    std::vector<uint8_t> wide = test::rgbaPng(20000, 1);
    EXPECT_FALSE(decodePng(wide, why));
}

TEST(KitCompileErrors, ABrokenKitGivesItsMessagesAndNoEntries) {
    struct Case {
        std::string name;
        std::string manifest;
        std::function<void(const fs::path&)> damage;
        std::string message;
    };
    std::vector<uint8_t> header = test::rgbaPng(800, 100);
    header.resize(33); // signature and IHDR: the checker is content, decoding is not
    const Case cases[] = {
        {"checker", "format = 1\n", nullptr, "gallery.toml: error: [layer] is missing"},
        {"no-pixels", minimalManifest(), [&](const fs::path& d) { writeFile(d / "layers/far.png", header); },
         "layers/far.png: error: cannot be read as a PNG"},
        {"strip-cut-short", minimalManifest(),
         [](const fs::path& d) {
             std::vector<uint8_t> bytes = test::rgbaPng(64, 16);
             bytes.resize(bytes.size() - 20);
             writeFile(d / "frames/bird.png", bytes);
         },
         "frames/bird.png: error: cannot be read as a PNG"},
        {"characters", replaced(minimalManifest(), "characters = \"ABC", "characters = \"BAC"), nullptr,
         "error: the game's sheets hold"},
    };
    for (const Case& c : cases) {
        const fs::path dir = kitWith("compile-broken-" + c.name, c.manifest);
        if (c.damage) c.damage(dir);
        const CompiledKit kit = compileKit(dir.string());
        EXPECT_FALSE(kit.ok()) << c.name;
        EXPECT_TRUE(kit.entries.empty()) << c.name;
        EXPECT_NE(problemsOf(kit).find(c.message), std::string::npos) << c.name << ":\n" << problemsOf(kit);
    }
}

} // namespace
} // namespace vandrel::kit
