// Rounds kept without asking: a session of headless rounds leaves the newest
// few on the shelf, each replaying on its own to the score the round ended
// with; the shelf drops the oldest, lists what it holds, and a kept round's
// link decodes to the file's very bytes.
#include "replay/RoundKeeper.h"

#include "app/PlayerControls.h"
#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Random.h"
#include "config/Settings.h"
#include "input/Messages.h"
#include "link/RoundLink.h"
#include "replay/Recorder.h"
#include "replay/Replayer.h"
#include "replay/RoundShelf.h"
#include "system/FileStore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace vandrel {
namespace {

const char* const gamePath = VANDREL_GAME_FILE;

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Where a shot hits a figure in view now, as a player aims; false when none shows.
bool figureInView(const Game& game, int32_t& px, int32_t& py) {
    const FigureCatalog& figures = game.figures().catalog;
    for (int32_t t = 0; t < figures.typeCount(); ++t) {
        const FigureType& type = *figures.typeAt(t);
        const Animation* animation = figures.findAnimation(type.animationId);
        if (!animation) continue;
        for (const Figure& f : type.figures) {
            const int32_t x = f.screenX, y = f.y;
            if (x < 0 || x >= 640 || y < 60 || y >= 400) continue;
            if (!animation->frames.hitTest(f.screenX, f.y, f.frameIndex, x, y, type.mirrored != 0)) continue;
            if (game.backdrop().hitLayer(x, y) > type.layer) continue;
            px = x;
            py = y;
            return true;
        }
    }
    return false;
}

class RoundKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = std::filesystem::temp_directory_path() / ("vandrel-roundkeeper-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
        std::filesystem::create_directories(home);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(home, ec);
    }
    std::filesystem::path home;
};

TEST_F(RoundKeeperTest, FinishedRoundsAreKeptNewestFirstAndEachReplaysToItsScore) {
    if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("VANDREL_MACHINE_STORE", (home / "machine").c_str(), 1);
    reseedGameRand();
    constexpr int rounds = 8;
    constexpr size_t limit = 5;
    const RoundShelf shelf(home / "rounds", limit);
    FileStore store(home / "machine", home / "data" / "vandrel");
    std::vector<int32_t> scores;
    {
        CappedRecording recording;
        std::ostream out(&recording);
        RoundKeeper keeper(shelf, "Test");
        NullAudio audio;
        ScopedAudioOutput output(audio);
        NullWindow window;
        Recorder rec(window, out, gamePath, 70000, store);
        ASSERT_TRUE(rec.startUp());
        uint32_t tick = 70000;
        auto run = [&](int turns) {
            for (int i = 0; i < turns; ++i) {
                tick += window.queue().empty() && rec.window().queue().empty() ? 30 : 0;
                const GameReadings before = rec.game().readings();
                ASSERT_TRUE(rec.step(tick));
                keeper.afterTurn(rec.game().state(), recording);
                if (before.state == GameState::InPlay && rec.game().state() == GameState::HighScores)
                    scores.push_back(before.score);
            }
        };
        auto click = [&](int32_t x, int32_t y) {
            window.post(msg::MouseMove, 0, makePointParam(x, y));
            window.post(msg::LButtonDown, 1, makePointParam(x, y));
            window.post(msg::LButtonUp, 1, makePointParam(x, y));
        };
        run(10);
        for (int r = 0; r < rounds; ++r) {
            ASSERT_EQ(rec.game().state(), GameState::Title) << "round " << r;
            click(320, 240);
            run(20 + r * 7); // rounds of different lengths and scores
            // A hit or two more each round, so every round ends with a score of its own.
            for (int hits = 0, turn = 0; hits < r % 4 + 1 && turn < 300; ++turn) {
                int32_t x = 0, y = 0;
                if (figureInView(rec.game(), x, y)) {
                    click(x, y);
                    ++hits;
                    run(3);
                }
                run(1);
            }
            window.post(msg::KeyDown, vk::Escape);
            // A click leaves the high scores for the title once their wipe is over.
            run(5);
            for (int wait = 0; wait < 40 && rec.game().state() == GameState::HighScores; ++wait) {
                click(320, 240);
                run(8);
            }
        }
        keeper.waitIdle();
        EXPECT_EQ(keeper.kept(), size_t{rounds});
        rec.finish();
    }
    ASSERT_EQ(scores.size(), size_t{rounds});
    EXPECT_GT(scores.back(), 0) << "the rounds hit something";
    const std::vector<KeptRound> kept = shelf.list();
    ASSERT_EQ(kept.size(), limit) << "a full shelf drops the oldest";
    for (size_t i = 0; i < kept.size(); ++i) {
        const int32_t want = scores[rounds - limit + i];
        SCOPED_TRACE("kept round " + std::to_string(i));
        ASSERT_TRUE(kept[i].readable);
        EXPECT_EQ(kept[i].gallery, "Test");
        EXPECT_EQ(kept[i].score, want);
        EXPECT_GE(kept[i].seconds, 1u);
        // On its own, from the file: every checkpoint as recorded, ending on
        // the high-score screen with the round's score.
        std::istringstream in(fileText(kept[i].file));
        ReplayLog log;
        std::string error;
        ASSERT_TRUE(log.read(in, error)) << error;
        std::ostringstream report;
        Replayer replayer(log, gamePath);
        EXPECT_EQ(replayer.run(report), Replayer::Same) << report.str();
        EXPECT_EQ(replayer.finalCheck().state, static_cast<int32_t>(GameState::HighScores));
        EXPECT_EQ(replayer.finalCheck().score + replayer.finalCheck().pending, want);
    }
    // The rounds differ in length, so each file is its own round and not one copied.
    EXPECT_NE(kept.front().seconds, kept.back().seconds);
}

TEST_F(RoundKeeperTest, ThePlayersTextsOverTheFramesStayOutOfTheRecording) {
    if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("VANDREL_MACHINE_STORE", (home / "machine").c_str(), 1);
    reseedGameRand();
    FileStore store(home / "machine", home / "data" / "vandrel");
    Settings settings; // no file: a first start, with its hint over the title
    std::ostringstream out;
    {
        NullAudio audio;
        ScopedAudioOutput output(audio);
        NullWindow window;
        Recorder rec(window, out, gamePath, 90000, store, std::nullopt, PlayOptions{},
                     [&](HostSetup& setup) { setup.player(settings, {}, true); });
        ASSERT_TRUE(rec.startUp());
        ASSERT_NE(rec.controls(), nullptr);
        uint32_t tick = 90000;
        auto run = [&](int turns) {
            for (int i = 0; i < turns; ++i) ASSERT_TRUE(rec.step(tick += 30));
        };
        // Long enough on each screen for a checkpoint (one a second) while a text shows.
        run(45);
        window.post(msg::LButtonDown, 1, makePointParam(320, 240));
        run(10);
        // The sound key's notice over the round, then the round's end with its note.
        window.post(msg::Char, 'm');
        run(45);
        window.post(msg::KeyDown, vk::Escape);
        run(3);
        rec.controls()->roundKept();
        run(45);
        // What the player saw had the texts: the hint, the notice, the note.
        EXPECT_EQ(rec.game().state(), GameState::HighScores);
        rec.finish();
    }
    std::istringstream in(out.str());
    ReplayLog log;
    std::string error;
    ASSERT_TRUE(log.read(in, error)) << error;
    std::ostringstream report;
    Replayer replayer(log, gamePath);
    EXPECT_EQ(replayer.run(report), Replayer::Same) << report.str();
}

TEST_F(RoundKeeperTest, TheShelfKeepsWholeFilesInOrderAndDropsTheOldest) {
    const RoundShelf shelf(home / "deep" / "rounds", 3);
    std::vector<std::filesystem::path> written;
    // Five rounds in the same second, then one later: names stay apart and in order.
    for (int i = 0; i < 5; ++i) written.push_back(shelf.keep("round " + std::to_string(i), 1700000000));
    written.push_back(shelf.keep("round 5", 1700000100));
    const std::vector<std::filesystem::path> files = shelf.files();
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(files, (std::vector<std::filesystem::path>{written[3], written[4], written[5]}));
    EXPECT_EQ(fileText(files[0]), "round 3");
    EXPECT_EQ(fileText(files[2]), "round 5");
    // Nothing half written is left beside them, and other files are not touched.
    std::ofstream(home / "deep" / "rounds" / "notes.txt") << "mine";
    shelf.keep("round 6", 1700000200);
    EXPECT_TRUE(std::filesystem::exists(home / "deep" / "rounds" / "notes.txt"));
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(home / "deep" / "rounds")) ++entries;
    EXPECT_EQ(entries, 4u);
    // A shelf that cannot be made says so with an empty path.
    std::ofstream(home / "blocked") << "a file, not a folder";
    EXPECT_TRUE(RoundShelf(home / "blocked" / "rounds").keep("x", 1700000000).empty());
}

TEST_F(RoundKeeperTest, ListAndShareLinkReadKeptRoundsAndRefuseOthers) {
    // A kept round as the keeper writes it: the game's checkpoints up to the
    // high-score screen, and its gallery.
    const std::string round = "vandrel-replay 1\ndata 0123456789abcdef\nrand 1\nstart 1000\n"
                              "c 1000 2 0 0 0000000000000001\ns 40\nc 1500 3 0 0 0000000000000002\n"
                              "s 40x80\nc 9000 3 150 0 0000000000000003\ns 40\nc 13100 4 0 150 0000000000000004\n" +
                              galleryComment("Gallery Name") + "\n";
    const RoundShelf shelf(home / "rounds");
    const std::filesystem::path file = shelf.keep(round, 1700000000);
    shelf.keep("not a recording", 1700000001);
    std::ostringstream list;
    EXPECT_EQ(listRounds(shelf, list), 0);
    std::istringstream lines(list.str());
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_NE(first.find("  Gallery Name  150 points  12 s  " + file.string()), std::string::npos) << first;
    EXPECT_NE(second.find("(not readable)"), std::string::npos) << second;

    for (const std::string base : {"", "https://example.org/vandrel/"}) {
        std::ostringstream out, err;
        ASSERT_EQ(printShareLink(file, base, out, err), 0);
        const std::string link = out.str().substr(0, out.str().size() - 1);
        EXPECT_EQ(link.rfind(base + "#round=", 0), 0u) << link;
        EXPECT_EQ(err.str().empty(), !base.empty()) << "without an address it says what to put in front";
        std::string back, error;
        ASSERT_TRUE(roundLink::decode(link, back, error)) << error;
        EXPECT_EQ(back, fileText(file));
    }
    std::ostringstream out, err;
    EXPECT_EQ(printShareLink(shelf.files().back(), "", out, err), 1);
    EXPECT_EQ(printShareLink(home / "missing.vrec", "", out, err), 1);
    EXPECT_TRUE(out.str().empty());
}

TEST(CappedRecording, StopsAtItsLimitAndTheKeeperKeepsNothingMore) {
    CappedRecording recording(16);
    std::ostream out(&recording);
    out << "0123456789" << std::flush;
    EXPECT_FALSE(recording.full());
    out << "0123456789" << std::flush;
    EXPECT_TRUE(recording.full());
    EXPECT_EQ(recording.text(), "0123456789");
    const auto folder = std::filesystem::temp_directory_path() / ("vandrel-capped-" + std::to_string(::getpid()));
    {
        RoundKeeper keeper(RoundShelf(folder), "Test");
        keeper.afterTurn(GameState::InPlay, recording);
        keeper.afterTurn(GameState::HighScores, recording);
        keeper.waitIdle();
        EXPECT_EQ(keeper.kept(), 0u);
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

} // namespace
} // namespace vandrel
