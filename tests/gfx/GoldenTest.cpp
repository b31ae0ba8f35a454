// Whole drawings compared with the reference pictures in tests/golden:
// keyed and clipped blits in every format, scaled blits, tile seams of wide
// pictures and texts in both fonts (the landscape's are the game tests').
// Set VANDREL_UPDATE_GOLDEN=1 to rewrite the references after a deliberate change.
#include "gfx/Font.h"
#include "base/Clock.h"

#include "SurfacePictures.h"

#include <cmath>
#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::Picture;
using test::Rgb;

Picture checkerBackground(int32_t w, int32_t h) {
    return test::makePicture(w, h, [](int32_t x, int32_t y) {
        const bool dark = ((x / 8) + (y / 8)) % 2;
        return dark ? Rgb{30, 40, 60} : Rgb{70, 90, 120};
    });
}

std::unique_ptr<VideoSurface> makeTarget(VideoDevice& device, int32_t w, int32_t h) {
    Surface background;
    test::fillSurface(background, device, checkerBackground(w, h));
    auto target = device.createSurface(w, h);
    background.blit(target.get(), Rect{0, 0, w, h}, 0, 0, false, 100.0f);
    return target;
}

// A 45 x 46 sprite: a shaded ball with a ring-shaped hole, keyed around it.
void makeSprite(Surface& sprite, VideoDevice& device) {
    std::vector<uint8_t> mask(45 * 46, 0);
    const Picture p = test::makePicture(45, 46, [&](int32_t x, int32_t y) {
        const double dx = x - 22, dy = y - 23, r = std::sqrt(dx * dx + dy * dy);
        if (r > 21 || (r > 8 && r < 11)) mask[static_cast<size_t>(y) * 45 + x] = 1;
        return Rgb{static_cast<uint8_t>(200 - x * 2), static_cast<uint8_t>(60 + y * 3),
                   static_cast<uint8_t>(x * y % 256)};
    });
    test::fillSurface(sprite, device, p, &mask);
}

class GoldenFormats : public ::testing::TestWithParam<std::pair<const char*, PixelFormat>> {};

TEST_P(GoldenFormats, KeyedBlitsClippedAtEveryEdge) {
    VideoDevice device(GetParam().second);
    Surface sprite;
    makeSprite(sprite, device);
    auto target = makeTarget(device, 160, 120);
    const Rect screen{0, 0, 160, 120};
    const int32_t positions[][2] = {{58, 37}, {-20, 10}, {70, -25}, {140, 50}, {30, 100}, {-15, -15}, {150, 110}};
    for (const auto& p : positions) ASSERT_TRUE(sprite.blit(target.get(), screen, p[0], p[1], true, 100.0f));
    // An inner clip cuts a sprite on all four sides.
    ASSERT_TRUE(sprite.blit(target.get(), Rect{100, 10, 130, 40}, 95, 5, true, 100.0f));
    EXPECT_EQ(test::compareWithGolden(std::string("keyed_blits_") + GetParam().first, *target), "");
}

INSTANTIATE_TEST_SUITE_P(Formats, GoldenFormats,
                         ::testing::Values(std::pair{"32", PixelFormat::xrgb32()},
                                           std::pair{"24", PixelFormat::rgb24()},
                                           std::pair{"565", PixelFormat::rgb565()},
                                           std::pair{"555", PixelFormat::rgb555()}),
                         [](const auto& info) { return std::string("bits") + info.param.first; });

TEST(Golden, ScaledBlits) {
    VideoDevice device;
    Surface sprite;
    makeSprite(sprite, device);
    auto target = makeTarget(device, 160, 80);
    const Rect screen{0, 0, 160, 80};
    ASSERT_TRUE(sprite.blit(target.get(), screen, 5, 5, true, 50.0f));
    ASSERT_TRUE(sprite.blit(target.get(), screen, 40, 5, false, 50.0f));
    ASSERT_TRUE(sprite.blit(target.get(), screen, 70, 2, true, 150.0f));
    EXPECT_EQ(test::compareWithGolden("scaled_blits", *target), "");
}

// Fine detail that shows any seam: diagonal stripes and a coarse gradient.
Picture wideLandscape(int32_t w, int32_t h) {
    return test::makePicture(w, h, [](int32_t x, int32_t y) {
        const bool stripe = (x + y) % 7 == 0;
        return stripe ? Rgb{250, 250, 250}
                      : Rgb{static_cast<uint8_t>(x / 14), static_cast<uint8_t>(y * 2), static_cast<uint8_t>(x % 251)};
    });
}

TEST(Golden, TileSeamsOfWidePictures) {
    VideoDevice device;
    auto target = device.createSurface(640, 240);
    const Rect screen{0, 0, 640, 240};
    Surface narrow, wide;
    std::vector<uint8_t> mask(3520 * 120, 0);
    for (int32_t y = 0; y < 120; ++y)
        for (int32_t x = 0; x < 3520; ++x) mask[static_cast<size_t>(y) * 3520 + x] = y < 40 + (x % 97) / 3;
    test::fillSurface(narrow, device, wideLandscape(1280, 120));
    test::fillSurface(wide, device, wideLandscape(3520, 120), &mask);
    ASSERT_TRUE(narrow.blit(target.get(), screen, -320, 0, true, 100.0f));
    ASSERT_TRUE(wide.blit(target.get(), screen, -1700, 0, true, 100.0f));   // seam at 220
    ASSERT_TRUE(wide.blit(target.get(), screen, -2880, 120, true, 100.0f)); // seam at 320, right edge at 640
    EXPECT_EQ(test::compareWithGolden("tile_seams", *target), "");
}

TEST(Golden, TextInBothFontsWithAndWithoutWave) {
    VideoDevice device;
    Font large, small;
    test::makeFontSheet(large.sheet(), device, 327, 236, 2, 2, 23, 37, 2, 2);
    test::makeFontSheet(small.sheet(), device, 208, 130, 0, 0, 16, 26, 0, 0);
    small.setLayout(0, 0, 16, 26, 0, 0, 12, 5);
    auto target = makeTarget(device, 640, 200);
    const Rect screen{0, 0, 640, 200};
    ManualClock clock(4242);
    large.drawText(target.get(), screen, 4, 4, "Der Highscore: 0123,45 |-", false);
    small.drawText(target.get(), screen, 4, 50, "TIME: 1:59 SCORE: 987 \xFC-|x", false);
    large.drawText(target.get(), screen, 4, 90, "Wellen im Wind", true);
    small.drawText(target.get(), screen, 300, 150, "Danke fuer das Spielen.", true);
    EXPECT_EQ(test::compareWithGolden("text_fonts", *target), "");
}

} // namespace
} // namespace vandrel
