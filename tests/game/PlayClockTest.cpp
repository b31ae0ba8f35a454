// The figures' clock: the game's own at full speed, value for value, and an
// exact share of it below, across the clock's wrap as well.
#include "game/PlayClock.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

TEST(PlayClockTest, FullSpeedIsTheGameClockAndASlowerOneItsExactShareAcrossTheWrap) {
    PlayClock clock;
    for (const uint32_t real : {0u, 1000u, 0xFFFFFFFFu}) EXPECT_EQ(clock.at(real), real) << "before any restart";
    clock.restart(0xFFFFF000u, 100);
    for (const uint32_t real : {0xFFFFF000u, 0xFFFFFFFFu, 5u, 123456u}) EXPECT_EQ(clock.at(real), real);

    // 70 %: from the restart on, 7 ms for every 10, whole milliseconds rounded
    // down, through the wrap at 2^32.
    const uint32_t start = 0xFFFFFC18u; // 1000 ms before the wrap
    clock.restart(start, 70);
    EXPECT_EQ(clock.at(start), start);
    EXPECT_EQ(clock.at(start + 9), start + 6);
    EXPECT_EQ(clock.at(start + 10), start + 7);
    EXPECT_EQ(clock.at(start + 1000), start + 700);
    EXPECT_EQ(clock.at(start + 3000), start + 2100);
    // Two hours of practice: still exact, no drift.
    EXPECT_EQ(clock.at(start + 7200000), start + 5040000);
    // A pause of 4 s is 2.8 s of the figures' time wherever it falls.
    EXPECT_EQ(clock.at(start + 5000) - clock.at(start + 1000), 2800u);
    EXPECT_EQ(clock.at(start + 14000) - clock.at(start + 10000), 2800u);

    clock.restart(start, 50);
    uint32_t last = clock.at(start);
    for (uint32_t ms = 1; ms < 3000; ++ms) {
        const uint32_t now = clock.at(start + ms);
        ASSERT_LE(now - last, 1u) << "never faster than the game's clock";
        last = now;
    }
    EXPECT_EQ(last - start, 1499u);
}

} // namespace
} // namespace vandrel
