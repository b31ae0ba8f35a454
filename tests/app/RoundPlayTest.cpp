// A whole round on the built game with its generated data set, driven through
// the window's messages on a manual clock: start, shoot a figure where it was
// drawn, and let the clock run out into the high-score screen.
#include "app/FigureTargets.h"
#include "app/GameProbe.h"
#include "app/HeadlessGame.h"
#include "base/Random.h"
#include "data/SetupRecord.h"
#include "scores/HighscoreRows.h"
#include "scores/HighscoreStorage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace vandrel {
namespace {

class RoundPlayTest : public test::HeadlessGame {
protected:
    RoundPlayTest() : HeadlessGame(VANDREL_GAME_FILE) {}

    void click(int32_t x, int32_t y) { click(window, x, y); }
    static void click(NullWindow& window, int32_t x, int32_t y) {
        window.post(msg::MouseMove, 0, makePointParam(x, y));
        window.post(msg::LButtonDown, 1, makePointParam(x, y));
        window.post(msg::LButtonUp, 0, makePointParam(x, y));
    }

    bool findTarget(int32_t& px, int32_t& py) const { return findTarget(game, px, py); }
    static bool findTarget(const Game& game, int32_t& px, int32_t& py) { return findFigureTarget(game, px, py); }
};

TEST_F(RoundPlayTest, ARoundScoresHitsAndEndsOnTheHighScoreScreenWithItsScorePending) {
    ASSERT_TRUE(program.startUp());
    run(1);
    ASSERT_EQ(game.state(), GameState::Title);
    EXPECT_EQ(game.figures().catalog.typeCount(), 12);
    EXPECT_EQ(game.figures().catalog.animations.size(), 8u);

    click(320, 240);
    run(1, 16);
    ASSERT_EQ(game.state(), GameState::InPlay);
    EXPECT_EQ(game.session().secondsLeft(), 120); // 2:00 first
    EXPECT_EQ(game.session().ammo(), 10);
    EXPECT_EQ(game.readings().score, 0);

    // Fly until a figure shows clear of the scenery, then shoot it.
    int32_t x = 0, y = 0;
    for (int i = 0; i < 400 && !findTarget(x, y); ++i) run(1, 16);
    ASSERT_TRUE(findTarget(x, y)) << "no figure came into view";
    click(x, y);
    run(1, 16);
    EXPECT_GT(game.readings().score, 0);
    EXPECT_EQ(game.session().ammo(), 9);
    EXPECT_EQ(game.figures().popups.size(), 1u);
    EXPECT_EQ(game.figures().effects.size(), 1u);
    const int32_t score = game.readings().score;

    // A shot into the empty sky above the HUD's line misses and costs a round.
    click(320, 1);
    run(1, 16);
    EXPECT_EQ(game.session().ammo(), 8);
    EXPECT_EQ(game.readings().score, score);

    // The clock runs out a second after 0:00.
    for (int i = 0; i < 200 && game.state() == GameState::InPlay; ++i) run(1, 1001);
    ASSERT_EQ(game.state(), GameState::HighScores);
    EXPECT_EQ(game.readings().pendingScore, score);
    EXPECT_EQ(game.readings().score, 0);
    EXPECT_FALSE(game.session().roundOver());
}

// What a scripted round leaves: its score and clock after the script, and
// the score the table is handed when the clock has run out.
struct ScriptedRound {
    int32_t score = 0;
    int32_t secondsLeft = 0;
    int32_t pendingScore = 0;
    bool operator==(const ScriptedRound&) const = default;
};

class PauseTest : public RoundPlayTest {
protected:
    // The same round on a fresh game each time: a shot at whatever shows
    // every twentieth frame, a reload when the magazine is empty; with
    // pauseFrames, P after 200 frames, that many frames paused, P again; play
    // are the rounds' options.
    ScriptedRound playScripted(int pauseFrames, const PlayOptions& play = {}) {
        clock.set(300000);
        reseedGameRand();
        NullAudio silent;
        NullWindow own;
        MemoryStore table;
        GameHost h{HostSetup(own, table, VANDREL_GAME_FILE).audio(silent).play(play)};
        Game& g = h.game();
        const auto frames = [&](int n, uint32_t ms) {
            int code = 0;
            for (int i = 0; i < n; ++i) {
                while (!own.queue().empty()) h.program().step(code);
                clock.advance(ms - 1);
                h.program().step(code);
            }
        };
        const auto pauseKey = [&] {
            own.post(msg::KeyDown, Game::pauseKey);
            own.post(msg::KeyUp, Game::pauseKey);
        };
        EXPECT_TRUE(h.program().startUp());
        frames(1, 1);
        click(own, 320, 240);
        frames(1, 16);
        EXPECT_EQ(g.state(), GameState::InPlay);
        for (int i = 0; i < 900; ++i) {
            if (pauseFrames > 0 && i == 200) {
                pauseKey();
                frames(1, 16);
                EXPECT_TRUE(g.paused());
                const int32_t seconds = g.session().secondsLeft();
                const uint32_t shown = own.framesShown();
                frames(pauseFrames, 16);
                // Frames are still shown, and the clock stands.
                EXPECT_GT(own.framesShown(), shown);
                EXPECT_EQ(g.session().secondsLeft(), seconds);
                pauseKey();
            }
            int32_t x = 0, y = 0;
            if (i % 20 == 0 && findTarget(g, x, y)) click(own, x, y);
            if (g.session().ammo() == 0) own.post(msg::RButtonDown, mouseRightHeld, 0);
            frames(1, 16);
        }
        EXPECT_FALSE(g.paused());
        ScriptedRound out{g.readings().score, g.session().secondsLeft(), 0};
        for (int i = 0; i < 200 && g.state() == GameState::InPlay; ++i) frames(1, 1001);
        EXPECT_EQ(g.state(), GameState::HighScores);
        out.pendingScore = g.readings().pendingScore;
        return out;
    }
};

TEST_F(PauseTest, APausedRoundEndsWithTheSameScoreAndSecondsAsTheSameRoundUnpaused) {
    const ScriptedRound unpaused = playScripted(0);
    // The script hits something and leaves time on the clock, so both count.
    ASSERT_GT(unpaused.score, 0);
    ASSERT_GT(unpaused.secondsLeft, 0);
    ASSERT_EQ(unpaused.pendingScore, unpaused.score);
    // Paused for 4 s and for 80 s: as long as the script itself, and more.
    EXPECT_EQ(playScripted(250), unpaused);
    EXPECT_EQ(playScripted(5000), unpaused);
}

TEST_F(PauseTest, ASlowerRoundPausedEndsAsTheSameRoundUnpaused) {
    // The figures' clock runs at 70 % through the pause too; the magazine
    // that reloads itself waits by the game's clock.
    PlayOptions play;
    play.speedPercent = 70;
    play.autoReload = true;
    const ScriptedRound unpaused = playScripted(0, play);
    ASSERT_GT(unpaused.score, 0);
    ASSERT_NE(unpaused, playScripted(0)) << "the options change the round";
    EXPECT_EQ(playScripted(250, play), unpaused);
    EXPECT_EQ(playScripted(5000, play), unpaused);
}

TEST_F(PauseTest, PDoesNothingOnTheTitleAndTheShotsWaitInAPause) {
    ASSERT_TRUE(program.startUp());
    run(1);
    ASSERT_EQ(game.state(), GameState::Title);
    window.post(msg::KeyDown, Game::pauseKey);
    window.post(msg::KeyUp, Game::pauseKey);
    run(2, 16);
    EXPECT_FALSE(game.paused());
    EXPECT_EQ(game.state(), GameState::Title);

    click(320, 240);
    run(1, 16);
    ASSERT_EQ(game.state(), GameState::InPlay);
    window.post(msg::KeyDown, Game::pauseKey);
    run(1, 16);
    ASSERT_TRUE(game.paused());
    // A shot and a reload in the pause do nothing.
    click(320, 1);
    window.post(msg::RButtonDown, mouseRightHeld, 0);
    run(3, 16);
    EXPECT_EQ(game.session().ammo(), 10);
    window.post(msg::KeyDown, Game::pauseKey);
    run(1, 16);
    EXPECT_FALSE(game.paused());

    // Minimised, the round runs on unless the player asked for the pause;
    // then it waits for P after the window is back.
    const auto minimise = [&](bool minimised) {
        window.post(msg::Activate, minimised ? activateMinimised : activateActive);
        run(1, 16);
    };
    minimise(true);
    minimise(false);
    EXPECT_FALSE(game.paused());
    game.setPauseWhenHidden(true);
    minimise(true);
    minimise(false);
    EXPECT_TRUE(game.paused());
    // Out of sight without a minimise (a hidden page, a phone held upright):
    // the same pause at once, and only where the setting asks for it.
    window.post(msg::KeyDown, Game::pauseKey);
    run(1, 16);
    ASSERT_FALSE(game.paused());
    game.setPauseWhenHidden(false);
    game.onHidden();
    EXPECT_FALSE(game.paused());
    game.setPauseWhenHidden(true);
    game.onHidden();
    EXPECT_TRUE(game.paused());
    // Escape still leaves the paused round, and the pause with it.
    window.post(msg::KeyDown, vk::Escape);
    run(1, 16);
    EXPECT_EQ(game.state(), GameState::HighScores);
    EXPECT_FALSE(game.paused());
    game.onHidden();
    EXPECT_FALSE(game.paused()) << "the table has nothing to pause";
}

// Games with the round options, each on its own window and sound, sharing the
// fixture's clock and, where a test says so, a store.
class AssistTest : public RoundPlayTest {
protected:
    struct OwnGame {
        OwnGame(Store& table, const PlayOptions& play)
            : host(HostSetup(window, table, VANDREL_GAME_FILE).audio(silent).play(play)) {}
        NullAudio silent;
        NullWindow window;
        GameHost host;
        Game& game() { return host.game(); }
    };

    // A fresh game at the same tick and random state every time, on the title.
    std::unique_ptr<OwnGame> startGame(Store& table, const PlayOptions& play) {
        clock.set(300000);
        reseedGameRand();
        auto g = std::make_unique<OwnGame>(table, play);
        EXPECT_TRUE(g->host.program().startUp());
        frames(*g, 1, 1);
        return g;
    }
    // As the fixture's run(): the queue first, then n turns of ms each.
    void frames(OwnGame& g, int n, uint32_t ms) {
        int code = 0;
        for (int i = 0; i < n; ++i) {
            while (!g.window.queue().empty()) g.host.program().step(code);
            clock.advance(ms - 1);
            g.host.program().step(code);
        }
    }
    void startRound(OwnGame& g) {
        click(g.window, 320, 240);
        frames(g, 1, 16);
        ASSERT_EQ(g.game().state(), GameState::InPlay);
    }
    // Flies until a figure shows clear of the scenery and shoots it.
    void hitSomething(OwnGame& g) {
        int32_t x = 0, y = 0;
        for (int i = 0; i < 400 && !findTarget(g.game(), x, y); ++i) frames(g, 1, 16);
        ASSERT_TRUE(findTarget(g.game(), x, y)) << "no figure came into view";
        click(g.window, x, y);
        frames(g, 1, 16);
        ASSERT_GT(g.game().readings().score, 0);
    }
    // The bytes of one value of the table stored under name; none without it.
    static std::optional<std::vector<uint8_t>> stored(const MemoryStore& table, const std::string& name,
                                                      const char* value) {
        const std::optional<StoreValue> v = table.value(HighscoreStorage::keyPath(name), value);
        if (!v) return std::nullopt;
        return v->bytes;
    }
    const std::string tableName = readTableName(VANDREL_GAME_FILE).value_or("");
};

// Where one figure that stood on the field from the round's start is after a
// while: its start and path, and how far it went sideways (straight or in a
// wave, a figure goes sideways at its speed).
struct Flight {
    int32_t startX = 0, lineY = 0, speed = 0;
    uint32_t moveStart = 0;
    int32_t travelled = 0;
};

TEST_F(AssistTest, At70PerCentTheFiguresMoveAndComeAtSevenTenthsWhileTheClockKeepsItsPace) {
    struct Seen {
        std::vector<Flight> flights;
        std::vector<uint32_t> spawnClocks;
        int32_t secondsLeft = 0;
    };
    const auto fly = [&](int32_t percent) {
        MemoryStore table;
        PlayOptions play;
        play.speedPercent = percent;
        auto g = startGame(table, play);
        const uint32_t start = clock.now();
        startRound(*g);
        frames(*g, 250, 16); // four seconds
        Seen seen;
        seen.secondsLeft = g->game().session().secondsLeft();
        for (const auto& type : g->game().figures().catalog.types) {
            seen.spawnClocks.push_back(type->spawnClock - start);
            for (const Figure& f : type->figures)
                if (f.moveStart - start < 20) // placed at the start, not spawned since
                    seen.flights.push_back(
                        Flight{f.startX, f.lineY, f.speed, f.moveStart, std::abs(f.worldX - f.startX)});
        }
        return seen;
    };
    const Seen full = fly(100);
    const Seen slow = fly(70);
    EXPECT_EQ(slow.secondsLeft, full.secondsLeft) << "the clock runs at its own pace";
    EXPECT_EQ(full.secondsLeft, 120 - 4);
    int compared = 0;
    for (const Flight& a : full.flights) {
        for (const Flight& b : slow.flights) {
            if (a.startX != b.startX || a.lineY != b.lineY || a.speed != b.speed || a.moveStart != b.moveStart)
                continue;
            EXPECT_NEAR(b.travelled, 0.7 * a.travelled, 2.0) << "a figure at " << a.speed << " px/s";
            if (a.travelled >= 100) ++compared;
        }
    }
    EXPECT_GE(compared, 2) << "too few figures went far enough to compare";
    // Spawning steps every 200 ms of the figures' time: 7 of 10 steps.
    ASSERT_EQ(slow.spawnClocks.size(), full.spawnClocks.size());
    for (size_t i = 0; i < full.spawnClocks.size(); ++i) {
        EXPECT_GE(full.spawnClocks[i], 3800u);
        EXPECT_NEAR(slow.spawnClocks[i], 0.7 * full.spawnClocks[i], 200.0);
    }
}

TEST_F(AssistTest, APracticeRoundHasNoClockAndKeepsNoScore) {
    MemoryStore table;
    // The standard table as a game that played nothing leaves it.
    startGame(table, {})->host.end();
    const auto before = stored(table, tableName, HighscoreStorage::textValueName);
    ASSERT_TRUE(before);

    PlayOptions play;
    play.practice = true;
    auto g = startGame(table, play);
    startRound(*g);
    const int32_t seconds = g->game().session().secondsLeft();
    hitSomething(*g);
    frames(*g, 300, 1001); // twice the round's length
    EXPECT_EQ(g->game().state(), GameState::InPlay);
    EXPECT_EQ(g->game().session().secondsLeft(), seconds);
    EXPECT_GT(g->game().readings().score, 0);

    g->window.post(msg::KeyDown, vk::Escape);
    frames(*g, 2, 16);
    EXPECT_EQ(g->game().state(), GameState::HighScores);
    EXPECT_EQ(g->game().readings().pendingScore, 0);
    EXPECT_FALSE(g->game().enteringName());
    g->host.end();
    EXPECT_EQ(stored(table, tableName, HighscoreStorage::textValueName), before);
    EXPECT_FALSE(stored(table, tableNameFor(tableName, TableKind::Assisted), HighscoreStorage::textValueName));
}

TEST_F(AssistTest, AnAutoReloadedMagazineStandsEmptyNoLongerThanTheReloadSound) {
    MemoryStore table;
    PlayOptions play;
    play.autoReload = true;
    for (const bool autoReload : {false, true}) {
        play.autoReload = autoReload;
        auto g = startGame(table, play);
        startRound(*g);
        const uint32_t reloadMs = g->game().session().autoReloadMs();
        ASSERT_GT(reloadMs, 100u) << "the reload sound of the data set";
        ASSERT_LT(reloadMs, 5000u);
        // Ten misses into the sky, one a frame; the last empties the magazine.
        for (int i = 0; i < 10; ++i) {
            click(g->window, 320, 1);
            frames(*g, 1, 16);
        }
        ASSERT_EQ(g->game().session().ammo(), 0);
        const uint32_t emptied = clock.now() - 15;
        uint32_t lastEmpty = 0, firstFull = 0;
        for (int i = 0; i < 400 && firstFull == 0; ++i) {
            frames(*g, 1, 16);
            if (g->game().session().ammo() == 0)
                lastEmpty = clock.now();
            else
                firstFull = clock.now();
        }
        if (!autoReload) {
            EXPECT_EQ(firstFull, 0u) << "without auto-reload the magazine waits for the player";
            continue;
        }
        ASSERT_NE(firstFull, 0u);
        EXPECT_EQ(g->game().session().ammo(), 10);
        EXPECT_LT(lastEmpty - emptied, reloadMs);
        EXPECT_GE(firstFull - emptied, reloadMs) << "it reloads no faster than by hand";
        EXPECT_LE(firstFull - emptied, reloadMs + 16);
    }
}

TEST_F(AssistTest, AnAssistedScoreGoesToItsOwnTableAndLeavesTheStandardOneAsItWas) {
    MemoryStore table;
    startGame(table, {})->host.end();
    const auto text = stored(table, tableName, HighscoreStorage::textValueName);
    const auto check = stored(table, tableName, HighscoreStorage::checkValueName);
    ASSERT_TRUE(text && check);

    PlayOptions play;
    play.speedPercent = 70;
    play.autoReload = true;
    auto g = startGame(table, play);
    startRound(*g);
    // Enough for a row of the table.
    for (int i = 0; i < 40 && g->game().readings().score <= 100; ++i) hitSomething(*g);
    const int32_t score = g->game().readings().score;
    for (int i = 0; i < 200 && g->game().state() == GameState::InPlay; ++i) frames(*g, 1, 1001);
    ASSERT_EQ(g->game().state(), GameState::HighScores);
    ASSERT_EQ(g->game().readings().pendingScore, score);
    frames(*g, 200, 16); // the wipe
    for (const char c : {'Z', 'o', 'e'}) g->window.post(msg::Char, static_cast<uint64_t>(c), 0);
    g->window.post(msg::Char, vk::Return, 0);
    frames(*g, 5, 16);
    g->host.end();

    EXPECT_EQ(stored(table, tableName, HighscoreStorage::textValueName), text);
    EXPECT_EQ(stored(table, tableName, HighscoreStorage::checkValueName), check);
    const std::string assisted = tableNameFor(tableName, TableKind::Assisted);
    EXPECT_EQ(assisted, tableName + " (Hilfen)");
    // Stored and checked as the standard table is: it loads back with the score.
    HighscoreStorage storage(table);
    HighscoreRows rows;
    ASSERT_TRUE(storage.load(assisted, rows));
    bool found = false;
    for (int32_t i = 0; i < rows.count(); ++i) found |= rows.score(i) == score && std::string(rows.name(i)) == "Zoe";
    EXPECT_TRUE(found) << rows.text();
}

// Every sound of a round has its sign on the screen, for a player who cannot
// hear it: each miss takes a cartridge from the magazine, a shot at the empty
// magazine leaves it showing empty, and a reload fills it again.
TEST_F(RoundPlayTest, TheMissEmptyAndReloadSoundsEachHaveTheirSignInTheMagazine) {
    ASSERT_TRUE(program.startUp());
    run(1);
    click(320, 240);
    run(1, 16);
    ASSERT_EQ(game.state(), GameState::InPlay);
    const Rect area = window.magazineArea();
    ASSERT_GT(area.right - area.left, 0);
    const auto pixels = [&] {
        std::vector<uint32_t> out;
        for (int32_t y = area.top; y < area.bottom; ++y)
            for (int32_t x = area.left; x < area.right; ++x) out.push_back(window.lastFrame().rgbAt(x, y));
        return out;
    };
    const std::vector<uint32_t> full = pixels();

    // Ten shots into the sky above the clock, each a miss.
    std::vector<std::vector<uint32_t>> afterMiss;
    for (int i = 0; i < 10; ++i) {
        click(320, 1);
        run(1, 16);
        ASSERT_EQ(game.session().ammo(), 9 - i);
        EXPECT_TRUE(game.figures().effects.empty()) << "a miss shows no star burst";
        afterMiss.push_back(pixels());
    }
    // The cartridges' pixels: where the full magazine differs from the empty one.
    const std::vector<uint32_t>& empty = afterMiss.back();
    std::vector<size_t> ink;
    for (size_t i = 0; i < full.size(); ++i)
        if (full[i] != empty[i]) ink.push_back(i);
    ASSERT_GE(ink.size(), 200u) << "the magazine is not drawn";
    const auto inkShown = [&](const std::vector<uint32_t>& shown) {
        return std::count_if(ink.begin(), ink.end(), [&](size_t i) { return shown[i] == full[i]; });
    };
    auto before = static_cast<std::ptrdiff_t>(ink.size());
    for (int i = 0; i < 10; ++i) {
        const std::ptrdiff_t now = inkShown(afterMiss[static_cast<size_t>(i)]);
        EXPECT_LT(now, before) << "miss " << i + 1 << " left the magazine as it was";
        before = now;
    }

    click(320, 1);
    run(1, 16);
    EXPECT_LE(inkShown(pixels()), static_cast<std::ptrdiff_t>(ink.size() / 50)) << "the empty magazine shows empty";
    window.post(msg::RButtonDown, mouseRightHeld, 0);
    run(1, 16);
    ASSERT_EQ(game.session().ammo(), 10);
    EXPECT_GE(inkShown(pixels()), static_cast<std::ptrdiff_t>(ink.size() * 95 / 100)) << "the reload shows";
}

} // namespace
} // namespace vandrel
