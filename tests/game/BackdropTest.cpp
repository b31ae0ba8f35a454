// The parallax landscape: scroll factors, where each layer lands, the clip it
// fits to the screen, the hit test through the layers, loading from an entry,
// and the whole landscape against its reference pictures in tests/golden.
#include "game/Backdrop.h"

#include "gfx/SurfacePictures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace vandrel {
namespace {

using test::Picture;
using test::Rgb;

// Column x of layer i, recognisable on screen.
Rgb layerColour(int32_t i, int32_t x, int32_t) {
    return Rgb{static_cast<uint8_t>(40 * (i + 1)), static_cast<uint8_t>(x & 0xFF), static_cast<uint8_t>(x >> 8)};
}

class BackdropTest : public ::testing::Test {
protected:
    static constexpr int32_t height = 40;

    void addLayers(std::initializer_list<int32_t> widths) {
        int32_t i = 0;
        for (int32_t w : widths) {
            ASSERT_TRUE(backdrop.addLayer());
            // Layer 0 is opaque; the others are transparent in their upper half.
            std::vector<uint8_t> mask(static_cast<size_t>(w) * height, 0);
            if (i > 0) std::fill(mask.begin(), mask.begin() + static_cast<size_t>(w) * (height / 2), 1);
            test::fillSurface(*backdrop.layer(i), device,
                              test::makePicture(w, height, [i](int32_t x, int32_t y) { return layerColour(i, x, y); }),
                              &mask);
            ++i;
        }
    }
    Rgb at(int32_t x, int32_t y) const { return test::readSurface(*target).at(x, y); }

    VideoDevice device;
    Backdrop backdrop;
    std::unique_ptr<VideoSurface> target = device.createSurface(640, height);
    Rect clip{0, 0, 640, height};
};

TEST_F(BackdropTest, FactorsOfTheShippedLayerWidths) {
    addLayers({1280, 1600, 2240, 3520});
    EXPECT_EQ(backdrop.maxLayerWidth(), 3520);
    const float expected[] = {2.0f / 9, 1.0f / 3, 5.0f / 9, 1.0f};
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_FLOAT_EQ(backdrop.drawLayer(target.get(), clip, 0, i, 640, height), expected[i]);
    EXPECT_EQ(backdrop.drawLayer(target.get(), clip, 0, 4, 640, height), 1.0f);
    EXPECT_EQ(backdrop.drawLayer(target.get(), clip, 0, 5, 640, height), 1.0f);
}

TEST_F(BackdropTest, AllLayersShowTheirLeftEdgesAtZeroAndRightEdgesAtTheEnd) {
    const int32_t widths[] = {1280, 1600, 2240, 3520};
    addLayers({1280, 1600, 2240, 3520});
    for (int32_t i = 0; i < 4; ++i) {
        backdrop.drawLayer(target.get(), clip, 0, i, 640, height);
        EXPECT_EQ(at(0, height - 1), layerColour(i, 0, 0)) << i;
        backdrop.drawLayer(target.get(), clip, 2880, i, 640, height);
        EXPECT_EQ(at(639, height - 1), layerColour(i, widths[i] - 1, 0)) << i;
        EXPECT_EQ(at(0, height - 1), layerColour(i, widths[i] - 640, 0)) << i;
    }
}

TEST_F(BackdropTest, LayersScrollByTheirShareTruncated) {
    addLayers({1280, 3520});
    // 1280 - 640 = 640 of 2880: factor 2/9; scroll 100 moves it 22.2 -> 22 pixels.
    backdrop.drawLayer(target.get(), clip, 100, 0, 640, height);
    EXPECT_EQ(at(0, height - 1), layerColour(0, 22, 0));
    // Transparent pixels of a front layer leave the back layer visible.
    backdrop.drawLayer(target.get(), clip, 100, 1, 640, height);
    EXPECT_EQ(at(0, 0), layerColour(0, 22, 0));
    EXPECT_EQ(at(0, height - 1), layerColour(1, 100, 0));
}

TEST_F(BackdropTest, ClipIsFittedToTheScreenInPlace) {
    addLayers({1280, 3520});
    Rect big{10, 5, 2000, 2000};
    backdrop.drawLayer(target.get(), big, 0, 0, 600, 30);
    EXPECT_EQ(big, (Rect{10, 5, 610, 35}));
    EXPECT_EQ(at(10, 5), layerColour(0, 0, 0));
    EXPECT_EQ(at(9, 5), (Rgb{0, 0, 0}));
    EXPECT_EQ(at(610, 5), (Rgb{0, 0, 0}));
}

TEST_F(BackdropTest, WithoutATargetOnlyTheScrollIsRemembered) {
    addLayers({1280});
    EXPECT_EQ(backdrop.drawLayer(nullptr, clip, 77, 0, 640, height), 0.0f);
    EXPECT_EQ(backdrop.lastScroll(), 77);
}

TEST_F(BackdropTest, LayersAsWideAsTheScreenStayPut) {
    // The widest layer no wider than the screen: nothing scrolls, nothing divides by zero.
    addLayers({640, 500});
    EXPECT_EQ(backdrop.drawLayer(target.get(), clip, 300, 0, 640, height), 0.0f);
    EXPECT_EQ(at(0, height - 1), layerColour(0, 0, 0));
    EXPECT_EQ(backdrop.drawLayer(target.get(), clip, 300, 1, 640, height), 0.0f);
    EXPECT_EQ(at(0, height - 1), layerColour(1, 0, 0));
    EXPECT_EQ(backdrop.hitLayer(1, height - 1), 1);
}

TEST_F(BackdropTest, EmptyBackdropDrawsNothingAndHitsNothing) {
    EXPECT_EQ(backdrop.maxLayerWidth(), 0);
    EXPECT_EQ(backdrop.drawLayer(target.get(), clip, 10, 0, 640, height), 1.0f);
    EXPECT_EQ(backdrop.hitLayer(10, 10), -1);
}

TEST_F(BackdropTest, HitFindsTheFrontMostOpaqueLayerAsLastDrawn) {
    addLayers({1280, 1600, 2240, 3520});
    backdrop.drawLayer(target.get(), clip, 2880, 0, 640, height);
    EXPECT_EQ(backdrop.hitLayer(5, height - 1), 3);
    EXPECT_EQ(backdrop.hitLayer(5, 0), 0); // only the back layer is opaque up there
    EXPECT_EQ(backdrop.hitLayer(-1, 5), -1);
    EXPECT_EQ(backdrop.hitLayer(640, 5), -1);
    EXPECT_EQ(backdrop.hitLayer(5, 480), -1);
    // Below the layers (they are only 40 high) nothing is opaque.
    EXPECT_EQ(backdrop.hitLayer(5, 100), -1);

    // Punch a hole in the front layer where the point lands at the last scroll
    // (x + 2880) and the next layer shows through.
    Surface* front = backdrop.layer(3);
    std::vector<uint8_t> mask(3520, 0);
    mask[2885] = 1;
    ASSERT_TRUE(front->lock());
    ASSERT_TRUE(front->putMaskRow(mask.data(), height - 1));
    ASSERT_TRUE(front->unlock());
    EXPECT_EQ(backdrop.hitLayer(5, height - 1), 2);
    EXPECT_EQ(backdrop.hitLayer(6, height - 1), 3);
    backdrop.clear();
    EXPECT_EQ(backdrop.hitLayer(5, height - 1), -1);
}

TEST(BackdropLoad, LayersComeFromTheImageList) {
    using namespace test;
    const auto picture = [](int32_t w) {
        return makePicture(w, 8, [](int32_t x, int32_t) { return Rgb{0, 0, static_cast<uint8_t>(x)}; });
    };
    std::vector<uint8_t> mask(200 * 8, 1);
    TestArchive archive(
        {{"back.nb", concat({block("PI", Bytes{2, 0, 0, 0}), block("JP", encodeJpeg(picture(100))), block("PG"),
                             block("JP", encodeJpeg(picture(200))), block("PG", encodeMaskPng(200, 8, mask))})}});
    Backdrop backdrop;
    VideoDevice device;
    ASSERT_TRUE(loadImageList(&archive.entry("back.nb"), &backdrop, &device));
    ASSERT_EQ(backdrop.layerCount(), 2);
    EXPECT_EQ(backdrop.maxLayerWidth(), 200);
    EXPECT_TRUE(backdrop.layer(0)->isOpaqueAt(50, 4));
    EXPECT_FALSE(backdrop.layer(1)->isOpaqueAt(50, 4));
    // The layer loaders refuse what cannot be decoded.
    EXPECT_FALSE(backdrop.loadLayerColour(&archive.entry("back.nb"), 0, 0, &device));
    EXPECT_FALSE(backdrop.loadLayerColour(nullptr, 10, 0, &device));
    EXPECT_FALSE(backdrop.loadLayerAlpha(&archive.entry("back.nb"), 10, 7));
}

// Four landscape layers: a sky, far hills, near hills and a foreground of
// posts, each with a skyline of its own.
void makeLandscape(Backdrop& backdrop, VideoDevice& device, int32_t height) {
    const int32_t widths[] = {1280, 1600, 2240, 3520};
    for (int32_t i = 0; i < 4; ++i) {
        const int32_t w = widths[i];
        ASSERT_TRUE(backdrop.addLayer());
        std::vector<uint8_t> mask(static_cast<size_t>(w) * height, 0);
        const Picture p = test::makePicture(w, height, [&](int32_t x, int32_t y) {
            int32_t skyline = 0;
            switch (i) {
            case 1: skyline = height / 3 + static_cast<int32_t>(12 * std::sin(x / 40.0)); break;
            case 2: skyline = height / 2 + static_cast<int32_t>(18 * std::sin(x / 23.0 + 1)); break;
            case 3: skyline = (x % 160) < 12 ? height / 4 : height - 10; break;
            default: break;
            }
            if (y < skyline) mask[static_cast<size_t>(y) * w + x] = 1;
            const uint8_t shade = static_cast<uint8_t>((x * 255) / w);
            switch (i) {
            case 0: return Rgb{static_cast<uint8_t>(100 + y / 2), static_cast<uint8_t>(150 + y / 3), 230};
            case 1: return Rgb{90, 110, static_cast<uint8_t>(140 + shade / 4)};
            case 2: return Rgb{static_cast<uint8_t>(40 + shade / 3), 120, 60};
            default: return Rgb{static_cast<uint8_t>(90 + (x % 160) / 2), 60, 30};
            }
        });
        test::fillSurface(*backdrop.layer(i), device, p, &mask);
    }
}

TEST(Golden, BackdropAtBothEndsOfItsScroll) {
    VideoDevice device;
    Backdrop backdrop;
    makeLandscape(backdrop, device, 120);
    for (int32_t scroll : {0, 2880}) {
        auto target = device.createSurface(640, 120);
        for (int32_t i = 0; i < 6; ++i) {
            Rect clip{0, 0, 640, 120};
            backdrop.drawLayer(target.get(), clip, scroll, i, 640, 120);
        }
        EXPECT_EQ(test::compareWithGolden("backdrop_scroll_" + std::to_string(scroll), *target), "");
    }
}

} // namespace
} // namespace vandrel
