// Set-up values and entries from a damaged archive, as the fuzz targets found
// them: each case once made the game misbehave and must now be handled.
#include "game/Session.h"
#include "base/Clock.h"
#include "video/VideoDevice.h"
#include "backends/null/MemoryStore.h"
#include "support/SessionProbe.h"
#include "support/TestArchive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

namespace vandrel {
namespace {

using test::Bytes;

class DamagedDataTest : public ::testing::Test {
protected:
    void SetUp() override { backBuffer = device.createSurface(640, 480); }
    bool loadSetup(const Bytes& record) {
        test::TestArchive archive({{"stuff.x", record}});
        return session.loadSetup(&archive.entry("stuff.x"));
    }

    // A title picture of one colour, as the title loader leaves it.
    void makeTitle(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b) {
        Surface& title = SessionProbe::titleImage(session);
        ASSERT_TRUE(title.create(w, h, &device));
        std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
        for (int32_t x = 0; x < w; ++x) {
            row[static_cast<size_t>(x) * 3] = b;
            row[static_cast<size_t>(x) * 3 + 1] = g;
            row[static_cast<size_t>(x) * 3 + 2] = r;
        }
        title.lock();
        for (int32_t y = 0; y < h; ++y) title.putRow(row.data(), y, false);
        title.unlock();
    }
    uint32_t pixel(int32_t x, int32_t y) {
        const uint8_t* p = backBuffer->pixels() + y * backBuffer->pitch() + x * 4;
        return static_cast<uint32_t>(p[0] | p[1] << 8 | p[2] << 16);
    }

    MemoryStore store;
    ManualClock clock{5000};
    VideoDevice device{PixelFormat::xrgb32()};
    std::unique_ptr<VideoSurface> backBuffer;
    const Rect clip{0, 0, 640, 480};
    Session session{store};
};

TEST_F(DamagedDataTest, AHugeScreenWidthStillUncoversTheTitleByTheLoadProgress) {
    makeTitle(64, 32, 0xC0, 0x20, 0x10);
    SessionProbe::setup(session).screenWidth = std::numeric_limits<int32_t>::max() - 5;
    session.showLoadProgress(50);
    session.drawTitle(backBuffer.get(), clip, true);
    // Half of that width is far more than the picture: all of it is in colour.
    EXPECT_EQ(pixel(0, 0), 0xC02010u);
    EXPECT_EQ(pixel(63, 31), 0xC02010u);
}

TEST_F(DamagedDataTest, AScreenSizeNoDisplayCouldShowKeepsTheGamesOwnButTheRestOfTheRecord) {
    const int32_t sizes[][2] = {{0, 480},
                                {640, -1},
                                {std::numeric_limits<int32_t>::max(), 480},
                                {640, std::numeric_limits<int32_t>::min()},
                                {16385, 480}};
    for (const auto& size : sizes) {
        SessionProbe::setup(session).screenWidth = 1;
        SessionProbe::setup(session).screenHeight = 1;
        EXPECT_TRUE(loadSetup(
            test::setupBlock({.width = size[0], .height = size[1], .minutes = 3, .seconds = 15, .magazine = 7})));
        EXPECT_EQ(session.setup().screenWidth, 640) << size[0] << " x " << size[1];
        EXPECT_EQ(session.setup().screenHeight, 480) << size[0] << " x " << size[1];
        EXPECT_EQ(session.setup().roundMinutes, 3);
        EXPECT_EQ(session.setup().magazineSize, 7);
    }
    // A record cut short after its width fails, and still leaves no such width.
    Bytes cut = test::setupBlock({.width = -7, .minutes = 3, .seconds = 15, .magazine = 7});
    cut.resize(6 + 6);
    cut[2] = 6;
    EXPECT_FALSE(loadSetup(cut));
    EXPECT_EQ(session.setup().screenWidth, 640);
    // Any size a surface can have is taken as it stands.
    EXPECT_TRUE(loadSetup(test::setupBlock({.width = 16384, .height = 1})));
    EXPECT_EQ(session.setup().screenWidth, 16384);
    EXPECT_EQ(session.setup().screenHeight, 1);
}

TEST_F(DamagedDataTest, AnEndlessRoundLengthStopsAtTheLargestClock) {
    ASSERT_TRUE(loadSetup(test::setupBlock({.minutes = std::numeric_limits<int32_t>::max(), .seconds = 59})));
    session.startRound();
    EXPECT_EQ(session.secondsLeft(), std::numeric_limits<int32_t>::max());
    ASSERT_TRUE(loadSetup(test::setupBlock({.minutes = std::numeric_limits<int32_t>::min(), .seconds = -1})));
    session.startRound();
    EXPECT_EQ(session.secondsLeft(), std::numeric_limits<int32_t>::min());
}

TEST_F(DamagedDataTest, AHugeMagazineDrawsTheCartridgesThatFitAndNoMore) {
    Surface& cartridge = SessionProbe::ammoImage(session);
    ASSERT_TRUE(cartridge.create(20, 40, &device));
    std::vector<uint8_t> row(20 * 3, 0xE0);
    cartridge.lock();
    for (int32_t y = 0; y < 40; ++y) cartridge.putRow(row.data(), y, false);
    cartridge.unlock();
    ASSERT_TRUE(loadSetup(test::setupBlock({.magazine = std::numeric_limits<int32_t>::max()})));
    session.startRound();
    ASSERT_EQ(session.ammo(), std::numeric_limits<int32_t>::max());
    session.drawHud(backBuffer.get(), clip);                 // would draw two thousand million cartridges
    EXPECT_EQ(pixel(640 - 45 + 1, 480 - 60 + 1), 0xE0E0E0u); // the first, at the right edge
    EXPECT_EQ(pixel(0, 480 - 60 + 1), 0xE0E0E0u);            // the 25th, cut by the left edge
}

} // namespace
} // namespace vandrel
