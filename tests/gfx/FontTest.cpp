// Bitmap fonts: the character table, pen advances, clipping to the glyph's
// own cell, the wave, and loading the sheet from an entry.
#include "gfx/Font.h"
#include "gfx/ImageLoader.h"
#include "base/Clock.h"

#include "SurfacePictures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::Rgb;

constexpr Rgb background{1, 2, 3};

class FontTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::makeFontSheet(large.sheet(), device, 327, 236, 2, 2, 23, 37, 2, 2);
        test::makeFontSheet(small.sheet(), device, 208, 130, 0, 0, 16, 26, 0, 0);
        small.setLayout(0, 0, 16, 26, 0, 0, 12, 5);
        target = device.createSurface(400, 100);
        target->fill(nullptr, 0x010203);
    }
    Rgb at(int32_t x, int32_t y) const { return test::readSurface(*target).at(x, y); }
    // The topmost row of column x showing colour c, or -1.
    int32_t topOf(int32_t x, Rgb c) const {
        const test::Picture p = test::readSurface(*target);
        for (int32_t y = 0; y < p.height; ++y)
            if (p.at(x, y) == c) return y;
        return -1;
    }

    VideoDevice device;
    Font large, small;
    std::unique_ptr<VideoSurface> target;
    const Rect screen{0, 0, 400, 100};
};

TEST(FontCells, CharacterTable) {
    EXPECT_EQ(Font::cellOf('A'), 0);
    EXPECT_EQ(Font::cellOf('Z'), 25);
    EXPECT_EQ(Font::cellOf('a'), 26);
    EXPECT_EQ(Font::cellOf('z'), 51);
    EXPECT_EQ(Font::cellOf('0'), 52);
    EXPECT_EQ(Font::cellOf('9'), 61);
    EXPECT_EQ(Font::cellOf('.'), 62);
    EXPECT_EQ(Font::cellOf(':'), 63);
    EXPECT_EQ(Font::cellOf(','), 64);
    EXPECT_EQ(Font::cellOf('|'), 65);
    EXPECT_EQ(Font::cellOf('-'), 66);
    for (char c : {' ', '!', '@', '[', '`', '{', '/', static_cast<char>(0xE4), static_cast<char>(0xDF)})
        EXPECT_EQ(Font::cellOf(c), -1) << static_cast<int>(c);
}

TEST_F(FontTest, WidthsCountEveryCharacterButSpacesAsAGlyph) {
    EXPECT_EQ(large.textWidth("AZaz09.:,|-"), 198);
    EXPECT_EQ(large.textWidth("A B"), 46);
    EXPECT_EQ(small.textWidth("A B"), 29);
    EXPECT_EQ(large.textWidth("1!2"), 54);
    EXPECT_EQ(large.textWidth(""), 0);
    EXPECT_EQ(large.textWidth(nullptr), 0);
}

TEST_F(FontTest, GlyphsAdvanceAndCharactersWithoutGlyphAdvanceLess) {
    large.drawText(target.get(), screen, 0, 10, "1!2\xE4Z", false);
    // "1" at 0, "!" draws nothing and moves 10, "2" at 28, the umlaut moves 10, "Z" at 56.
    EXPECT_EQ(at(5, 20), test::cellColour(Font::cellOf('1')));
    EXPECT_EQ(at(25, 20), background);
    EXPECT_EQ(at(28 + 5, 20), test::cellColour(Font::cellOf('2')));
    EXPECT_EQ(at(56 + 5, 20), test::cellColour(Font::cellOf('Z')));
    EXPECT_EQ(at(56 + 1, 10), test::cellColour(Font::cellOf('Z'))); // the cell's top-left corner lands at (x, y)
    EXPECT_EQ(at(56 + 21, 11), background);                         // keyed notch
    EXPECT_EQ(at(56 + 3, 13), (Rgb{10, 10, 10}));                   // the cell's own diagonal
}

TEST_F(FontTest, SmallFontHasNoCursorOrHyphenGlyphs) {
    small.drawText(target.get(), screen, 0, 0, "-|A", false);
    EXPECT_EQ(at(5, 10), background);
    EXPECT_EQ(at(17, 10), background);
    EXPECT_EQ(at(24 + 5, 10), test::cellColour(0));
}

TEST_F(FontTest, GlyphsShowOnlyTheirOwnCellAndRespectTheClip) {
    large.drawText(target.get(), screen, 100, 20, "M", false);
    const int32_t gapColumn = 100 + 23, gapRow = 20 + 37;
    EXPECT_EQ(at(gapColumn, 30), background);
    EXPECT_EQ(at(110, gapRow), background);
    EXPECT_EQ(at(100 + 22, 30), test::cellColour(12));
    EXPECT_EQ(at(100, 20 + 36), test::cellColour(12));

    const Rect clip{0, 0, 205, 100};
    large.drawChar(target.get(), clip, 200, 20, 'N');
    EXPECT_EQ(at(204, 30), test::cellColour(13));
    EXPECT_EQ(at(205, 30), background);
}

TEST_F(FontTest, DrawCharReportsGlyphsEvenWithoutATarget) {
    EXPECT_TRUE(large.drawChar(nullptr, screen, 0, 0, 'Q'));
    EXPECT_FALSE(large.drawChar(nullptr, screen, 0, 0, '?'));
    EXPECT_FALSE(large.drawChar(target.get(), screen, 0, 0, ' '));
    large.drawText(target.get(), screen, 0, 0, nullptr, true);
}

TEST_F(FontTest, WaveShiftsEachCharacterByTimeAndPen) {
    ManualClock clock(123456);
    large.drawText(target.get(), screen, 10, 5, "AA", true);
    for (int32_t pen : {10, 28}) {
        const uint32_t t = 123456u + 5u * static_cast<uint32_t>(pen);
        const int32_t dy = static_cast<int32_t>((std::sin(t * 0.005) + 1.0) * 10.0);
        EXPECT_EQ(topOf(pen + 1, test::cellColour(0)), 5 + dy) << pen;
    }
    // Characters a whole wavelength apart (about 251 pixels) bob together.
    target->fill(nullptr, 0x010203);
    clock.set(5000);
    large.drawText(target.get(), screen, 0, 5, "A", true);
    large.drawText(target.get(), screen, 251, 5, "A", true);
    EXPECT_NEAR(topOf(1, test::cellColour(0)), topOf(252, test::cellColour(0)), 1);
}

TEST(FontLoad, SheetComesFromTheEntryAndAFailedLoadKeepsTheDefaults) {
    const test::Picture sheet = test::makePicture(327, 236, [](int32_t x, int32_t) {
        return Rgb{static_cast<uint8_t>(x), 0, 0};
    });
    test::TestArchive archive(
        {{"font.nl", test::concat({test::block("JP", test::encodeJpeg(sheet)), test::block("PG")})},
         {"fonts.nl", test::block("JP", test::Bytes{1, 2})}});
    VideoDevice device;
    Font font;
    ASSERT_TRUE(font.load(&archive.entry("font.nl"), &device));
    EXPECT_EQ(font.sheet().width(), 327);
    Font broken;
    EXPECT_FALSE(broken.load(&archive.entry("fonts.nl"), &device));
    EXPECT_EQ(broken.advance(), 18);
    EXPECT_EQ(broken.spaceAdvance(), 10);
    EXPECT_EQ(broken.textWidth("A B"), 46);
}

} // namespace
} // namespace vandrel
