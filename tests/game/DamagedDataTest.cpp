// Set-up values and entries from a damaged archive, as the fuzz targets found
// them: each case once made the game misbehave and must now be handled.
#include "game/Session.h"
#include "platform/Clock.h"
#include "platform/VideoDevice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace vandrel {
namespace {

class DamagedDataTest : public ::testing::Test {
protected:
    void SetUp() override { backBuffer = device.createSurface(640, 480); }

    // A title picture of one colour, as the title loader leaves it.
    void makeTitle(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b) {
        ASSERT_TRUE(session.titleImage.create(w, h, &device, true));
        std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
        for (int32_t x = 0; x < w; ++x) {
            row[static_cast<size_t>(x) * 3] = b;
            row[static_cast<size_t>(x) * 3 + 1] = g;
            row[static_cast<size_t>(x) * 3 + 2] = r;
        }
        session.titleImage.lock();
        for (int32_t y = 0; y < h; ++y) session.titleImage.putRow(row.data(), y, false);
        session.titleImage.unlock();
    }
    uint32_t pixel(int32_t x, int32_t y) {
        const uint8_t* p = backBuffer->pixels() + y * backBuffer->pitch() + x * 4;
        return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    }

    ManualClock clock{5000};
    VideoDevice device{PixelFormat::xrgb32()};
    std::unique_ptr<VideoSurface> backBuffer;
    const Rect clip{0, 0, 640, 480};
    Session session;
};

TEST_F(DamagedDataTest, AHugeScreenWidthStillUncoversTheTitleByTheLoadProgress) {
    makeTitle(64, 32, 0xC0, 0x20, 0x10);
    session.screenWidth = std::numeric_limits<int32_t>::max() - 5;
    session.loadProgress = 50;
    session.drawTitle(backBuffer.get(), clip, true);
    // Half of that width is far more than the picture: all of it is in colour.
    EXPECT_EQ(pixel(0, 0), 0xC02010u);
    EXPECT_EQ(pixel(63, 31), 0xC02010u);
}

} // namespace
} // namespace vandrel
