// The game's icon: one drawing that must stay crisp when small and show its
// detail when large, at every size a desktop or Windows asks for.
#include "gfx/GameIcon.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace vandrel {
namespace {

struct Pixel {
    int r, g, b, a;
};

Pixel at(const std::vector<uint8_t>& icon, int size, int x, int y) {
    const uint8_t* p = &icon[(static_cast<size_t>(y) * size + x) * 4];
    return {p[0], p[1], p[2], p[3]};
}

bool isBar(Pixel p) { return p.a == 255 && p.r < 40 && p.g < 40 && p.b < 40; }

} // namespace

TEST(GameIcon, RefusesSizesItIsNotDrawnFor) {
    EXPECT_TRUE(drawGameIcon(0).empty());
    EXPECT_TRUE(drawGameIcon(-16).empty());
    EXPECT_TRUE(drawGameIcon(gameIconMinSize - 1).empty());
    EXPECT_TRUE(drawGameIcon(gameIconMaxSize + 1).empty());
    EXPECT_EQ(drawGameIcon(gameIconMinSize).size(), size_t(gameIconMinSize * gameIconMinSize * 4));
}

TEST(GameIcon, EverySizeIsARoundTargetWithAnOpaqueCentreAndClearCorners) {
    for (int size : {16, 17, 24, 32, 48, 64, 128, 256}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> icon = drawGameIcon(size);
        ASSERT_EQ(icon.size(), static_cast<size_t>(size) * size * 4);
        const int corners[4][2] = {{0, 0}, {size - 1, 0}, {0, size - 1}, {size - 1, size - 1}};
        for (const auto& c : corners) EXPECT_EQ(at(icon, size, c[0], c[1]).a, 0) << c[0] << "," << c[1];
        EXPECT_TRUE(isBar(at(icon, size, size / 2, size / 2)));
        // Halfway out along a diagonal lies a ring: opaque and red or cream, never dark.
        Pixel ring = at(icon, size, size / 2 - size / 6, size / 2 + size / 6);
        EXPECT_EQ(ring.a, 255);
        EXPECT_GT(ring.r, 150);
    }
}

// A bar of the cross-hair that straddles pixel borders turns into a grey smear
// at small sizes; it must cover whole pixels, with ring colour right beside it.
TEST(GameIcon, SmallCrossHairsCoverWholePixels) {
    for (int size : {16, 24, 32, 48}) {
        SCOPED_TRACE(size);
        std::vector<uint8_t> icon = drawGameIcon(size);
        const int y = size / 2 - size * 3 / 8; // on the upper arm, inside the disc
        int first = -1, last = -1;
        for (int x = 0; x < size; ++x) {
            Pixel p = at(icon, size, x, y);
            if (isBar(p)) {
                if (first < 0) first = x;
                last = x;
            } else if (p.a == 255) {
                EXPECT_GT(p.r, 60) << "a blend of bar and ring at x=" << x;
            }
        }
        ASSERT_GE(first, 0);
        EXPECT_GE(last - first + 1, 2);
        EXPECT_EQ(first + last + 1, size) << "the bar is centred";
    }
}

// A large icon scaled up from a small bitmap would repeat each pixel in blocks;
// the drawn one has its edges, shading and holes at full resolution.
TEST(GameIcon, LargeSizesAreDrawnNotEnlarged) {
    const int size = 256;
    std::vector<uint8_t> icon = drawGameIcon(size);
    int mixedBlocks = 0;
    for (int by = 0; by < size; by += 8) {
        for (int bx = 0; bx < size; bx += 8) {
            std::set<std::tuple<int, int, int, int>> colours;
            for (int y = by; y < by + 8; ++y) {
                for (int x = bx; x < bx + 8; ++x) {
                    Pixel p = at(icon, size, x, y);
                    colours.insert({p.r, p.g, p.b, p.a});
                }
            }
            if (colours.size() > 1) ++mixedBlocks;
        }
    }
    EXPECT_GT(mixedBlocks, 300);
}

} // namespace vandrel
