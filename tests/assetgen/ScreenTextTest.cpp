// The generated fonts as the game draws them: texts rendered through the
// game's own font code onto a plain ground, their letters found again in the
// pixels. The letters of both sheets space evenly and the table's names start
// together; the closing screen's credits keep inside the screen at every
// depth of their wave.
#include "GeneratedArchiveTest.h"

#include "game/Session.h"
#include "gfx/Font.h"
#include "gfx/FontCells.h"
#include "base/Clock.h"
#include "video/VideoDevice.h"
#include "video/VideoSurface.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

namespace vandrel::test {
namespace {

constexpr uint32_t ground = 0xFF00FF; // a colour no glyph has

class ScreenText : public GeneratedArchiveTest {
protected:
    static uint32_t& pixel(VideoSurface::Lock& l, int32_t x, int32_t y) {
        return *reinterpret_cast<uint32_t*>(l.pixels + y * l.pitch + x * 4);
    }
    void fill(VideoSurface& s, uint32_t colour) {
        VideoSurface::Lock l;
        ASSERT_TRUE(s.lock(l));
        for (int32_t y = 0; y < s.height(); ++y)
            for (int32_t x = 0; x < s.width(); ++x) pixel(l, x, y) = colour;
        ASSERT_TRUE(s.unlock());
    }
    // The columns of the surface holding anything but the ground, as runs
    // [first, last], left to right: one run per letter when letters keep apart.
    std::vector<std::pair<int32_t, int32_t>> letterRuns(VideoSurface& s) {
        std::vector<bool> inked(size_t(s.width()), false);
        VideoSurface::Lock l;
        EXPECT_TRUE(s.lock(l, true));
        for (int32_t y = 0; y < s.height(); ++y)
            for (int32_t x = 0; x < s.width(); ++x)
                inked[size_t(x)] = inked[size_t(x)] || (pixel(l, x, y) & 0xFFFFFF) != ground;
        EXPECT_TRUE(s.unlock());
        std::vector<std::pair<int32_t, int32_t>> runs;
        for (int32_t x = 0; x < s.width(); ++x) {
            if (!inked[size_t(x)]) continue;
            if (runs.empty() || runs.back().second != x - 1) runs.push_back({x, x});
            runs.back().second = x;
        }
        return runs;
    }
    std::vector<std::pair<int32_t, int32_t>> render(Font& font, const std::string& text, int32_t x = 40) {
        VideoSurface s(320, font.glyphHeight(), PixelFormat::xrgb32());
        fill(s, ground);
        font.drawText(&s, Rect{0, 0, s.width(), s.height()}, x, 0, text.c_str(), false);
        return letterRuns(s);
    }

    // Every pair of letters and digits: the gap between the two is the same
    // within a pixel, and each letter is as wide as the others.
    void expectEvenPairs(Font& font, const char* sheet) {
        std::string glyphs;
        for (int32_t k = 0; k < fontCells::count; ++k)
            if (std::isalnum(static_cast<unsigned char>(fontCells::charOf(k)))) glyphs += fontCells::charOf(k);
        ASSERT_EQ(glyphs.size(), 62u);
        int32_t minGap = 1000, maxGap = -1000, minWidth = 1000, maxWidth = -1;
        std::string narrowest, widest;
        for (char a : glyphs) {
            for (char b : glyphs) {
                auto runs = render(font, std::string{a, b});
                ASSERT_EQ(runs.size(), 2u) << sheet << ": \"" << a << b << "\" run into each other";
                const int32_t gap = runs[1].first - runs[0].second - 1;
                if (gap < minGap) narrowest = {a, b};
                if (gap > maxGap) widest = {a, b};
                minGap = std::min(minGap, gap);
                maxGap = std::max(maxGap, gap);
                for (auto [first, last] : runs) {
                    minWidth = std::min(minWidth, last - first + 1);
                    maxWidth = std::max(maxWidth, last - first + 1);
                }
            }
        }
        EXPECT_GE(minGap, 1) << sheet << ": a visible gap between any two letters";
        EXPECT_LE(maxGap - minGap, 1) << sheet << ": \"" << narrowest << "\" " << minGap << " pixels apart, \""
                                      << widest << "\" " << maxGap;
        EXPECT_LE(maxWidth - minWidth, 1) << sheet << ": no letter squeezed or stretched past the others";
    }

    ManualClock clock{5000};
    VideoDevice device{PixelFormat::xrgb32()};
    TempStore store;
    Session session{store.store()};
};

TEST_F(ScreenText, BothSheetsSpaceEveryPairOfLettersAndDigitsEvenly) {
    ASSERT_TRUE(session.loadLargeFont(&open("font.nl"), &device));
    expectEvenPairs(*session.highscoreFont(), "large font");
    // The small font with the layout the session gives it.
    Font small;
    ASSERT_TRUE(small.load(&open("fonts.nl"), &device));
    small.setLayout(0, 0, 16, 26, 0, 0, 12, 5);
    expectEvenPairs(small, "small font");
}

TEST_F(ScreenText, TheTablesNamesStartTogetherAndReadAsOneWordEach) {
    ASSERT_TRUE(session.loadLargeFont(&open("font.nl"), &device));
    Font& font = *session.highscoreFont();
    // The names a new table holds, some a player might type, and scores.
    const char* rows[] = {"Jorvane", "Istro", "Halvo", "Gurim", "Fenoli", "Wilma", "Mimi", "lill", "1100", "98765"};
    std::vector<int32_t> starts;
    for (const char* row : rows) {
        auto runs = render(font, row);
        ASSERT_EQ(runs.size(), std::string(row).size()) << row << ": one run of ink per letter";
        starts.push_back(runs.front().first);
        for (size_t i = 1; i + 1 < runs.size(); ++i) {
            const int32_t before = runs[i].first - runs[i - 1].second, after = runs[i + 1].first - runs[i].second;
            EXPECT_LE(std::abs(before - after), 1) << row << ": letter " << i << " sits off-centre";
        }
    }
    EXPECT_EQ(*std::min_element(starts.begin(), starts.end()), *std::max_element(starts.begin(), starts.end()))
        << "every name starts at the same column";
}

TEST_F(ScreenText, TheCreditsWaveKeepsEveryLetterInsideTheScreen) {
    BlockReader& stuff = open("stuff.x");
    ASSERT_TRUE(session.loadSetup(&stuff));
    ASSERT_TRUE(session.loadTitle(&stuff, &device));
    ASSERT_TRUE(session.loadScreens(&stuff, &device));
    ASSERT_TRUE(session.loadSmallFont(&open("fonts.nl"), &device));
    const int32_t w = session.highscoreScreenWidth(), h = session.highscoreScreenHeight();
    VideoSurface screen(w, h, PixelFormat::xrgb32());
    const Rect clip{0, 0, w, h};
    auto bottomRows = [&](std::vector<uint32_t>& out) {
        VideoSurface::Lock l;
        ASSERT_TRUE(screen.lock(l, true));
        out.clear();
        for (int32_t y = h - 40; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) out.push_back(pixel(l, x, y));
        ASSERT_TRUE(screen.unlock());
    };
    // The first frame shows the closing picture alone: the line enters from
    // beyond the right edge.
    session.drawCredits(&screen, clip);
    std::vector<uint32_t> picture, frame;
    bottomRows(picture);
    // Two whole turns of the wave, a millisecond apart, while the line
    // crosses the left half of the screen: every letter on the screen goes
    // through the deepest and the highest point of the wave.
    clock.advance(3200);
    int32_t lowestInk = -1;
    for (int32_t t = 0; t < 2600; ++t) {
        clock.advance(1);
        session.drawCredits(&screen, clip);
        bottomRows(frame);
        for (size_t i = 0; i < frame.size(); ++i) {
            if (frame[i] == picture[i]) continue;
            const int32_t y = h - 40 + int32_t(i) / w;
            lowestInk = std::max(lowestInk, y);
            ASSERT_LT(y, h - 1) << "a letter cut at the bottom edge at x " << int32_t(i) % w << ", " << clock.now()
                                << " ms";
        }
    }
    EXPECT_GT(lowestInk, h - 14) << "the wave carried the letters down to the edge's neighbourhood";
}

} // namespace
} // namespace vandrel::test
