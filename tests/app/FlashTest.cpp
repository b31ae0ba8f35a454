// How much of the screen flashes, measured on the frames the built game
// shows: the loading screen that fills the grey title with colour, and a round
// in which every figure in reach is shot down, its star bursts and all, into
// the high-score screen's wipe. Between two consecutive frames a pixel
// flashes when its relative luminance moves by 0.1 or more and the darker of
// the two is below 0.8; a change over a quarter of the screen is a general
// flash, and a player sensitive to light must never get more than three of
// those in any one second.
#include "app/FigureTargets.h"
#include "app/GameHost.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Clock.h"
#include "base/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <vector>

namespace vandrel {
namespace {

constexpr double flashStep = 0.1;     // of the relative luminance, 0 to 1
constexpr double darkerBelow = 0.8;   // a change between two bright shades does not flash
constexpr double generalFlash = 0.25; // of the screen's area
constexpr int allowedPerSecond = 3;

// Relative luminance of an sRGB colour given as 0xRRGGBB.
double relativeLuminance(uint32_t rgb) {
    static const std::array<double, 256> linear = [] {
        std::array<double, 256> t{};
        for (int i = 0; i < 256; ++i) {
            const double c = i / 255.0;
            t[static_cast<size_t>(i)] = c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return t;
    }();
    return 0.2126 * linear[(rgb >> 16) & 0xFF] + 0.7152 * linear[(rgb >> 8) & 0xFF] + 0.0722 * linear[rgb & 0xFF];
}

// One frame against the one shown before it.
struct FrameChange {
    uint32_t tick = 0;
    double share = 0; // of the screen whose luminance flashed
};

// Keeps, for every frame shown, how much of the screen flashed since the last.
class FlashWindow : public NullWindow {
public:
    bool showFrame(const VideoSurface& frame) override {
        const bool ok = NullWindow::showFrame(frame);
        const ShownFrame& f = lastFrame();
        std::vector<float> now(static_cast<size_t>(f.width) * static_cast<size_t>(f.height));
        for (int32_t y = 0; y < f.height; ++y)
            for (int32_t x = 0; x < f.width; ++x)
                now[static_cast<size_t>(y) * static_cast<size_t>(f.width) + static_cast<size_t>(x)] =
                    static_cast<float>(relativeLuminance(f.rgbAt(x, y)));
        // Before the first frame the window is black.
        if (before_.empty()) before_.assign(now.size(), 0.0f);
        if (now.size() == before_.size() && !now.empty()) {
            size_t flashed = 0;
            for (size_t i = 0; i < now.size(); ++i)
                if (std::abs(now[i] - before_[i]) >= flashStep && std::min(now[i], before_[i]) < darkerBelow) ++flashed;
            changes.push_back({tickCount(), static_cast<double>(flashed) / static_cast<double>(now.size())});
        }
        before_ = std::move(now);
        return ok;
    }

    // What was measured from the first change kept onward.
    struct Measure {
        double worstShare = 0;
        int generalFlashes = 0;
        // Each general flash counted as a whole one, though a flash is a
        // change there and back: the count errs on the player's side.
        int mostInOneSecond = 0;
    };
    Measure measure(size_t from = 0) const { return measure(from, changes.size()); }
    Measure measure(size_t from, size_t to) const {
        Measure m;
        for (size_t i = from; i < to; ++i) {
            m.worstShare = std::max(m.worstShare, changes[i].share);
            if (changes[i].share <= generalFlash) continue;
            ++m.generalFlashes;
            int inSecond = 0;
            for (size_t j = i; j < to && changes[j].tick - changes[i].tick < 1000; ++j)
                if (changes[j].share > generalFlash) ++inSecond;
            m.mostInOneSecond = std::max(m.mostInOneSecond, inSecond);
        }
        return m;
    }

    std::vector<FrameChange> changes;

private:
    std::vector<float> before_;
};

class FlashTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(VANDREL_GAME_FILE)) GTEST_SKIP() << "the game with its data set is not built";
        reseedGameRand();
    }

    void run(int frames, uint32_t msPerFrame) {
        int code = 0;
        for (int i = 0; i < frames; ++i) {
            while (!window.queue().empty())
                if (!host.program().step(code)) return;
            clock.advance(msPerFrame - 1);
            host.program().step(code);
        }
    }
    void click(int32_t x, int32_t y) {
        window.post(msg::MouseMove, 0, makePointParam(x, y));
        window.post(msg::LButtonDown, 1, makePointParam(x, y));
        window.post(msg::LButtonUp, 0, makePointParam(x, y));
    }
    bool findTarget(int32_t& px, int32_t& py) const { return findFigureTarget(host.game(), px, py); }
    static void report(const char* what, const FlashWindow::Measure& m) {
        std::printf("[ flashes  ] %s: at most %.1f %% of the screen flashed between two frames; "
                    "%d general flash(es), at most %d in one second\n",
                    what, 100.0 * m.worstShare, m.generalFlashes, m.mostInOneSecond);
    }

    ManualClock clock{300000};
    NullAudio audio;
    FlashWindow window;
    MemoryStore store;
    GameHost host{HostSetup(window, store, VANDREL_GAME_FILE).audio(audio)};
};

TEST_F(FlashTest, NeitherTheTitleNorTheHitEffectsFlashMoreThanThreeTimesASecond) {
    // The loading pass: the title appears grey out of the black window and
    // fills with colour. Its frames come faster than the clock is told to
    // move, so all of them count as one second.
    ASSERT_TRUE(host.program().startUp());
    run(1, 16);
    ASSERT_EQ(host.game().state(), GameState::Title);
    const FlashWindow::Measure loading = window.measure();
    report("loading title", loading);
    EXPECT_LE(loading.mostInOneSecond, allowedPerSecond);

    // A round at sixty frames a second, from the title's last frame on: every
    // figure shot down the moment it shows, the pointer back in the middle
    // at once so that the landscape stands still, the magazine reloaded as
    // soon as it is empty.
    const size_t roundStart = window.changes.size();
    click(320, 240);
    run(1, 16);
    ASSERT_EQ(host.game().state(), GameState::InPlay);
    report("title to round", window.measure(roundStart, window.changes.size()));
    const size_t firstShot = window.changes.size();
    int hits = 0, shots = 0;
    size_t mostEffects = 0;
    for (int i = 0; i < 20 * 60; ++i) {
        int32_t x = 0, y = 0;
        if (findTarget(x, y)) {
            if (host.game().session().ammo() == 0) window.post(msg::RButtonDown, mouseRightHeld, 0);
            const int32_t before = host.game().readings().score;
            click(x, y);
            window.post(msg::MouseMove, 0, makePointParam(320, 240));
            run(1, 16);
            ++shots;
            if (host.game().readings().score > before) ++hits;
        } else {
            run(1, 16);
        }
        mostEffects = std::max(mostEffects, host.game().figures().effects.size());
    }
    ASSERT_EQ(host.game().state(), GameState::InPlay);
    // Enough star bursts, several at once, for the measure to mean something.
    EXPECT_GE(hits, 10) << shots << " shots";
    EXPECT_GE(mostEffects, 2u);
    report("hit effects", window.measure(firstShot));
    const FlashWindow::Measure round = window.measure(roundStart);
    report("whole round", round);
    std::printf("[ flashes  ] %d hits of %d shots, up to %zu star bursts at once\n", hits, shots, mostEffects);
    EXPECT_LE(round.mostInOneSecond, allowedPerSecond);

    // Into the high-score screen, whose picture slides up over the round.
    window.post(msg::KeyDown, vk::Escape, 0);
    window.post(msg::KeyUp, vk::Escape, 0);
    const size_t wipeStart = window.changes.size();
    run(3 * 60, 16);
    ASSERT_EQ(host.game().state(), GameState::HighScores);
    const FlashWindow::Measure wipe = window.measure(wipeStart);
    report("round to high scores", wipe);
    EXPECT_LE(wipe.mostInOneSecond, allowedPerSecond);
}

} // namespace
} // namespace vandrel
