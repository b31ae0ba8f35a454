// Held keys turn into exact milliseconds of scrolling, one record per frame.
#include "input/HeldKeyList.h"
#include "base/Clock.h"
#include "input/Messages.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

// Runs frames every `step` ms until `until`, summing what the arrows give.
int64_t scrollOver(HeldKeyList& keys, ManualClock& clock, uint32_t step, uint32_t until) {
    int64_t scroll = 0;
    while (clock.now() < until) {
        clock.advance(step);
        if (KeyHold* r = keys.next()) {
            uint32_t n = HeldKeyList::consume(*r, tickCount());
            if (r->key == static_cast<int32_t>(vk::Left)) scroll -= n;
            if (r->key == static_cast<int32_t>(vk::Right)) scroll += n;
        }
    }
    return scroll;
}

TEST(HeldKeyList, HoldingAnArrowScrollsExactlyTheHeldTimeWhateverTheFrameRate) {
    for (uint32_t step : {1u, 7u, 16u, 33u, 250u}) {
        ManualClock clock(5000);
        HeldKeyList keys;
        keys.keyDown(vk::Right);
        // Auto-repeat key-downs add nothing.
        for (int i = 0; i < 30; ++i) {
            clock.advance(50);
            keys.keyDown(vk::Right);
        }
        keys.keyUp(vk::Right); // held 1500 ms
        int64_t scroll = 0;
        // Frames only start after the release here; the press is still paid out.
        scroll += scrollOver(keys, clock, step, clock.now() + 2000);
        EXPECT_EQ(scroll, 1500) << "frame step " << step;
        EXPECT_EQ(keys.size(), 0u) << "spent record removed";
    }
}

TEST(HeldKeyList, FramesDuringTheHoldAddUpToTheSameAmount) {
    ManualClock clock(100);
    HeldKeyList keys;
    keys.keyDown(vk::Left);
    int64_t scroll = scrollOver(keys, clock, 13, 100 + 1000);
    clock.advance(3);
    keys.keyUp(vk::Left);
    int64_t held = clock.now() - 100;
    scroll += scrollOver(keys, clock, 13, clock.now() + 100);
    EXPECT_EQ(scroll, -held);
}

TEST(HeldKeyList, TheOtherArrowDiscardsWhatIsNotYetScrolled) {
    ManualClock clock(1000);
    HeldKeyList keys;
    keys.keyDown(vk::Right);
    clock.advance(500);
    keys.keyUp(vk::Right);
    KeyHold* r = keys.next();
    ASSERT_NE(r, nullptr);
    clock.advance(0);
    EXPECT_EQ(HeldKeyList::consume(*r, clock.now()), 500u);
    // A second press, released, not consumed yet: the left arrow drops it.
    keys.keyDown(vk::Right);
    clock.advance(300);
    keys.keyUp(vk::Right);
    keys.keyDown(vk::Left);
    clock.advance(200);
    keys.keyUp(vk::Left);
    EXPECT_EQ(scrollOver(keys, clock, 10, clock.now() + 100), -200);
}

TEST(HeldKeyList, KeyUpWithoutKeyDownChangesNothing) {
    ManualClock clock(1000);
    HeldKeyList keys;
    keys.keyUp(vk::Left);
    EXPECT_EQ(keys.size(), 0u);
    EXPECT_EQ(keys.next(), nullptr);
}

TEST(HeldKeyList, AKeyNeverReleasedKeepsScrolling) {
    ManualClock clock(1000);
    HeldKeyList keys;
    keys.keyDown(vk::Right);
    EXPECT_EQ(scrollOver(keys, clock, 20, 1000 + 5000), 5000);
    EXPECT_EQ(keys.size(), 1u);
}

TEST(HeldKeyList, AnArrowAndALetterTakeTurnsWithoutLosingTime) {
    ManualClock clock(1000);
    HeldKeyList keys;
    keys.keyDown('A');
    keys.keyDown(vk::Right);
    int arrowFrames = 0;
    int64_t scroll = 0;
    for (int frame = 0; frame < 100; ++frame) {
        clock.advance(10);
        KeyHold* r = keys.next();
        ASSERT_NE(r, nullptr);
        uint32_t n = HeldKeyList::consume(*r, clock.now());
        if (r->key == static_cast<int32_t>(vk::Right)) {
            ++arrowFrames;
            scroll += n;
        }
    }
    EXPECT_EQ(arrowFrames, 50);
    // The arrow's last turn was frame 99 or 98: everything up to it is paid.
    EXPECT_GE(scroll, 990);
    EXPECT_LE(scroll, 1000);
}

TEST(HeldKeyList, NeverConsumedRecordsComeFirstAndTiesGoToTheEarlier) {
    ManualClock clock(1000);
    HeldKeyList keys;
    keys.keyDown('A');
    keys.keyDown('B');
    KeyHold* first = keys.next();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->key, 'A');
    HeldKeyList::consume(*first, clock.now());
    KeyHold* second = keys.next();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->key, 'B');
}

TEST(HeldKeyList, ClearAndRemoveKeyDropRecords) {
    ManualClock clock(1000);
    HeldKeyList keys;
    keys.keyDown('A');
    keys.keyDown('B');
    keys.removeKey('A');
    EXPECT_EQ(keys.size(), 1u);
    keys.clear();
    EXPECT_EQ(keys.next(), nullptr);
}

} // namespace
} // namespace vandrel
