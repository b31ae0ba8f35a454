// The loop as a browser drives it: one call per animation frame takes every
// waiting message, draws exactly one frame, and never sleeps or waits, since a
// page whose script blocks freezes.
#include "app/HeadlessGame.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

class BrowserFrameTest : public test::HeadlessGame {
protected:
    void SetUp() override {
        HeadlessGame::SetUp();
        if (IsSkipped()) return;
        ASSERT_TRUE(program.startUp());
    }
    bool frame() { return program.stepFrame(exitCode); }

    int exitCode = -1;
};

TEST_F(BrowserFrameTest, TakesEveryWaitingMessageThenDrawsOneFrameWithoutSleeping) {
    ASSERT_TRUE(frame());
    ASSERT_EQ(game.state(), GameState::Title);
    const uint32_t shown = window.framesShown();
    const uint32_t now = tickCount();
    for (int32_t x = 10; x <= 50; x += 10) window.post(msg::MouseMove, 0, makePointParam(x, 200));
    ASSERT_TRUE(frame());
    EXPECT_TRUE(window.queue().empty());
    EXPECT_EQ(game.mouseX(), 50) << "the last position of the frame counts";
    EXPECT_EQ(window.framesShown(), shown + 1) << "one frame per browser frame, not one per message";
    EXPECT_EQ(tickCount(), now) << "the loop slept: the browser paces the frames";

    ASSERT_TRUE(frame());
    EXPECT_EQ(window.framesShown(), shown + 2) << "a quiet browser frame still draws";
}

TEST_F(BrowserFrameTest, AMinimisedGameDrawsNothingAndReturnsAtOnce) {
    ASSERT_TRUE(frame());
    window.post(msg::Activate, activateMinimised);
    ASSERT_TRUE(frame());
    EXPECT_FALSE(game.active());
    const uint32_t shown = window.framesShown();
    const uint32_t now = tickCount();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(frame());
    EXPECT_EQ(window.framesShown(), shown);
    EXPECT_EQ(tickCount(), now) << "a minimised game must not wait inside the browser's frame";

    window.post(msg::Activate, 1);
    ASSERT_TRUE(frame());
    EXPECT_EQ(window.framesShown(), shown + 1);
}

TEST_F(BrowserFrameTest, LeavingTheClosingScreenEndsTheLoopWithItsExitCode) {
    ASSERT_TRUE(frame());
    // Title -> high scores -> closing screen -> out.
    for (int i = 0; i < 2; ++i) {
        window.post(msg::KeyDown, vk::Escape);
        window.post(msg::KeyUp, vk::Escape);
        ASSERT_TRUE(frame());
    }
    EXPECT_EQ(game.state(), GameState::Credits);
    window.post(msg::KeyDown, vk::Escape);
    EXPECT_FALSE(frame()) << "the close, destroy and quit messages all come within one browser frame";
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(window.isDestroyed());
}

} // namespace
} // namespace vandrel
