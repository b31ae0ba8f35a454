// The moments a pad or a phone rumbles, from what a round's display shows.
#include "input/HapticCues.h"

#include <gtest/gtest.h>

#include <vector>

namespace vandrel {
namespace {

std::vector<HapticCue> cuesOf(const std::vector<RoundShown>& frames) {
    HapticCues cues;
    std::vector<HapticCue> out;
    for (const RoundShown& f : frames) out.push_back(cues.next(f));
    return out;
}

constexpr HapticCue none = HapticCue::None, hit = HapticCue::Hit, empty = HapticCue::Empty;

TEST(HapticCues, AHitAndTheLastCartridgeAreFeltOnceEach) {
    EXPECT_EQ(cuesOf({{true, 0, 10}, {true, 0, 10}, {true, 0, 9}, {true, 25, 8}, {true, 25, 8}, {true, 10, 7}}),
              (std::vector{none, none, none, hit, none, hit}))
        << "a miss is no hit; a figure that costs points is";
    EXPECT_EQ(cuesOf({{true, 0, 2}, {true, 0, 1}, {true, 0, 0}, {true, 0, 0}, {true, 0, 10}, {true, 0, 0}}),
              (std::vector{none, none, empty, none, none, empty}));
    // The last cartridge that hits is felt as the hit.
    EXPECT_EQ(cuesOf({{true, 0, 1}, {true, 5, 0}}), (std::vector{none, hit}));
}

TEST(HapticCues, NothingIsFeltBetweenRoundsOrAsOneBegins) {
    // The table's frames, then a new round with no score and a full
    // magazine after one that ended with both changed, then back.
    EXPECT_EQ(cuesOf({{}, {true, 0, 10}, {true, 40, 0}, {}, {}, {true, 0, 10}, {}, {true, 0, 0}}),
              (std::vector{none, none, hit, none, none, none, none, none}));
}

} // namespace
} // namespace vandrel
