// Recording a short game on the built game and playing it back: the replay
// confirms an honest recording and catches every kind of tampering, and it
// never touches the player's table.
#include "replay/Replayer.h"
#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Random.h"
#include "config/Settings.h"
#include "data/SetupRecord.h"
#include "input/Messages.h"
#include "replay/Recorder.h"
#include "scores/HighscoreStorage.h"
#include "system/FileStore.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace vandrel {
namespace {

const char* const gamePath = VANDREL_GAME_FILE;

class ReplayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::filesystem::exists(gamePath)) GTEST_SKIP() << "the game with its data set is not built";
        home = std::filesystem::temp_directory_path() / ("vandrel-replayertest-" + std::to_string(::getpid()));
        std::filesystem::remove_all(home);
        // The player's store, where the environment points as well: a replay
        // that went looking for the standard store would find this one.
        player = std::make_unique<FileStore>(home / "machine", home / "data" / "vandrel");
        setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        setenv("VANDREL_MACHINE_STORE", (home / "machine").c_str(), 1);
        reseedGameRand();
    }
    void TearDown() override {
        std::error_code ec;
        if (!home.empty()) std::filesystem::remove_all(home, ec);
    }

    // Title, a round with a shot and a miss, Escape to the table, Escape to the
    // credits and a click to leave; or cut off in the round.
    // play: the rounds' options the game is recorded with. inFrames loads
    // as the page does, a step of the loading pass at a time.
    std::string record(bool cutShort = false, const PlayOptions& play = {}, bool inFrames = false) {
        std::ostringstream out;
        NullAudio audio;
        ScopedAudioOutput output(audio);
        NullWindow window;
        Recorder rec(window, out, gamePath, 50000, *player, std::nullopt, play, [&](HostSetup& setup) {
            if (inFrames) setup.loadInFrames();
        });
        EXPECT_TRUE(rec.startUp());
        if (inFrames) {
            EXPECT_TRUE(rec.game().fullLoadPending());
            int slices = 0;
            while (rec.continueLoad(0)) ++slices;
            EXPECT_GT(slices, 3);
        }
        uint32_t tick = 50000;
        auto run = [&](int turns) {
            for (int i = 0; i < turns; ++i) {
                tick += window.queue().empty() && rec.window().queue().empty() ? 30 : 0;
                if (!rec.step(tick)) return;
            }
        };
        auto click = [&](int32_t x, int32_t y) {
            window.post(msg::MouseMove, 0, makePointParam(x, y));
            window.post(msg::LButtonDown, 1, makePointParam(x, y));
        };
        run(10);
        click(320, 240);
        run(40);
        EXPECT_EQ(rec.game().state(), GameState::InPlay);
        click(600, 300);
        run(20);
        click(20, 3);
        run(20);
        if (cutShort) {
            rec.finish();
            return out.str();
        }
        window.post(msg::KeyDown, vk::Escape);
        run(60);
        window.post(msg::KeyDown, vk::Escape);
        run(20);
        click(100, 100);
        run(10);
        EXPECT_EQ(rec.finish(), 0);
        return out.str();
    }

    ReplayLog parse(const std::string& text) {
        std::istringstream in(text);
        ReplayLog log;
        std::string error;
        EXPECT_TRUE(log.read(in, error)) << error;
        return log;
    }

    Replayer::Result replay(const ReplayLog& log, std::string* report = nullptr) {
        std::ostringstream out;
        Replayer r(log, gamePath);
        const Replayer::Result result = r.run(out);
        if (report) *report = out.str();
        return result;
    }

    std::filesystem::path home;
    std::unique_ptr<FileStore> player;
};

TEST_F(ReplayerTest, AnHonestRecordingReplaysToTheSameEnd) {
    const ReplayLog log = parse(record());
    ASSERT_TRUE(log.end.has_value());
    EXPECT_EQ(log.randState, 1u);
    EXPECT_EQ(log.end->check.state, static_cast<int32_t>(GameState::Credits));

    // Another process state: the random generator moved on, the clock elsewhere.
    setGameRandState(4242);
    std::ostringstream out;
    Replayer r(log, gamePath);
    ASSERT_EQ(r.run(out), Replayer::Same) << out.str();
    EXPECT_EQ(r.finalCheck(), log.end->check);
    EXPECT_GT(r.checkpoints(), 5u);
    EXPECT_NE(out.str().find(", all as recorded\n"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("end: exit 0, tick " + std::to_string(log.end->check.tick)), std::string::npos);
}

TEST_F(ReplayerTest, ARecordingWithRoundOptionsReplaysWithThemAndOnlyWithThem) {
    const PlayOptions play{70, 180, true, false};
    const std::string text = record(false, play);
    EXPECT_NE(text.find("\nplay speed 70\nplay length 180\nplay auto_reload 1\n"), std::string::npos) << text;
    const ReplayLog log = parse(text);
    EXPECT_EQ(log.play, play);
    // The table the recording keeps is the one the assisted score would go to.
    const std::string assisted = tableNameFor(readTableName(gamePath).value_or(""), TableKind::Assisted);
    EXPECT_EQ(recordedTableName(gamePath, play), assisted);
    std::string report;
    ASSERT_EQ(replay(log, &report), Replayer::Same) << report;

    // The same recording played as a standard game goes another way.
    ReplayLog standard = log;
    standard.play = PlayOptions{};
    EXPECT_EQ(replay(standard, &report), Replayer::Diverged) << report;
}

// The player's cross-hair is in every frame: a recording made with another
// look replays to the same frames because it carries the look.
TEST_F(ReplayerTest, ARecordingWithAStyledCrossHairReplaysWithIt) {
    PlayOptions play;
    play.cursor = CursorStyle{200, true, 1};
    const std::string text = record(false, play);
    EXPECT_NE(text.find("\nplay crosshair_size 200\nplay crosshair_outline 1\nplay crosshair_colour 1\n"),
              std::string::npos);
    const ReplayLog log = parse(text);
    std::string report;
    ASSERT_EQ(replay(log, &report), Replayer::Same) << report;
    ReplayLog plain = log;
    plain.play.cursor = CursorStyle{};
    EXPECT_EQ(replay(plain, &report), Replayer::Diverged) << report;
}

TEST_F(ReplayerTest, ARecordingLoadedInFramesReplaysAsRecorded) {
    const ReplayLog log = parse(record(false, {}, true));
    ASSERT_TRUE(log.end.has_value());
    std::ostringstream out;
    Replayer r(log, gamePath);
    ASSERT_EQ(r.run(out), Replayer::Same) << out.str();
    EXPECT_EQ(r.finalCheck(), log.end->check);
}

TEST_F(ReplayerTest, PlayedToItsEndADivergingReplayReachesTheInputsEnd) {
    const ReplayLog honest = parse(record());
    ReplayLog claimed = honest;
    int changed = 0;
    for (ReplayEvent& e : claimed.events)
        if (e.kind == ReplayEvent::Kind::Check && e.check.state == static_cast<int32_t>(GameState::InPlay)) {
            e.check.score += 1000;
            ++changed;
        }
    ASSERT_GT(changed, 1);
    std::ostringstream stopped, played;
    Replayer first(claimed, gamePath);
    EXPECT_EQ(first.run(stopped), Replayer::Diverged);
    EXPECT_NE(first.finalCheck(), honest.end->check) << "stops at the first divergence";
    Replayer r(claimed, gamePath);
    r.playToEnd();
    EXPECT_EQ(r.run(played), Replayer::Diverged);
    // The same input reaches the same end; the divergence is said once.
    EXPECT_EQ(r.finalCheck(), honest.end->check);
    const std::string report = played.str();
    EXPECT_EQ(report.find("divergence"), report.rfind("divergence")) << report;
}

// The real window behind a recording hears what the game tells a window it
// plays on directly: the pad tuning, and the round shown, where a tap shoots.
TEST_F(ReplayerTest, TheRealWindowBehindARecordingHearsTheGame) {
    class TellingWindow : public NullWindow {
    public:
        void setPadTuning(const PadTuning&) override { ++tunings; }
        void setRoundShown(const RoundShown& shown) override {
            if (shown.inRound) ++roundFrames;
        }
        int tunings = 0;
        int roundFrames = 0;
    };
    std::ostringstream out;
    NullAudio audio;
    ScopedAudioOutput output(audio);
    TellingWindow window;
    Settings settings;
    Recorder rec(window, out, gamePath, 50000, *player, std::nullopt, {},
                 [&](HostSetup& setup) { setup.player(settings, {}, false); });
    ASSERT_TRUE(rec.startUp());
    uint32_t tick = 50000;
    for (int i = 0; i < 10; ++i) rec.step(tick += 30);
    window.post(msg::MouseMove, 0, makePointParam(320, 240));
    window.post(msg::LButtonDown, 1, makePointParam(320, 240));
    for (int i = 0; i < 40; ++i) rec.step(tick += 30);
    ASSERT_EQ(rec.game().state(), GameState::InPlay);
    EXPECT_EQ(window.tunings, 1);
    EXPECT_GT(window.roundFrames, 10);
    rec.finish();
}

TEST_F(ReplayerTest, TamperedRecordingsDiverge) {
    const ReplayLog honest = parse(record());

    ReplayLog frame = honest;
    for (ReplayEvent& e : frame.events)
        if (e.kind == ReplayEvent::Kind::Check && e.check.state == static_cast<int32_t>(GameState::InPlay)) {
            e.check.frameHash ^= 1;
            break;
        }
    std::string report;
    EXPECT_EQ(replay(frame, &report), Replayer::Diverged);
    EXPECT_NE(report.find("divergence at checkpoint"), std::string::npos) << report;

    // Without the click that started the round, nothing after it holds.
    ReplayLog noClick = honest;
    for (size_t i = 0; i < noClick.events.size(); ++i)
        if (noClick.events[i].kind == ReplayEvent::Kind::Message &&
            noClick.events[i].message.message == msg::LButtonDown) {
            noClick.events.erase(noClick.events.begin() + static_cast<long>(i));
            break;
        }
    EXPECT_EQ(replay(noClick), Replayer::Diverged);

    // A different random state places other figures.
    ReplayLog seeded = honest;
    seeded.randState = 12345;
    EXPECT_EQ(replay(seeded), Replayer::Diverged);

    ReplayLog endCode = honest;
    endCode.end->exitCode = 3;
    EXPECT_EQ(replay(endCode, &report), Replayer::Diverged);
    EXPECT_NE(report.find("at the end"), std::string::npos) << report;

    // The game ends with turns of the recording left over.
    ReplayLog longer = honest;
    ReplayEvent more;
    more.kind = ReplayEvent::Kind::Steps;
    more.delta = 30;
    more.count = 5;
    longer.events.push_back(more);
    EXPECT_EQ(replay(longer, &report), Replayer::Diverged);
    EXPECT_NE(report.find("before the recording did"), std::string::npos) << report;

    ReplayLog table = honest;
    ASSERT_FALSE(table.storeAfter.empty());
    table.storeAfter[0].bytes = std::vector<uint8_t>{'X', ',', ' ', '1', '\n', 0};
    EXPECT_EQ(replay(table, &report), Replayer::Diverged);
    EXPECT_NE(report.find("table differs"), std::string::npos) << report;

    ReplayLog otherData = honest;
    otherData.dataHash ^= 0x100;
    EXPECT_EQ(replay(otherData, &report), Replayer::CannotReplay);
    EXPECT_NE(report.find("record it again"), std::string::npos) << report;
}

TEST_F(ReplayerTest, TheRecordedTableIsWhereTheReplayStartsAndThePlayersIsUntouched) {
    // The player's own table, which the replay must neither read nor change.
    const std::string tableName = readTableName(gamePath).value_or("");
    ASSERT_FALSE(tableName.empty());
    auto store = [&](const std::string& text) {
        const HighscoreStorage::Check check = HighscoreStorage::checkValue(text, tableName);
        StoreValue v[2];
        v[0] = {"highscore", StoreType::String, std::vector<uint8_t>(text.begin(), text.end())};
        v[0].bytes.push_back(0);
        v[1] = {"check", StoreType::Binary, std::vector<uint8_t>(check.begin(), check.end())};
        ASSERT_TRUE(player->create(HighscoreStorage::keyPath(tableName))->write(v));
    };
    store("Rec, 77\n");
    const ReplayLog log = parse(record());
    ASSERT_FALSE(log.storeBefore.empty());
    ASSERT_TRUE(log.storeBefore[0].bytes.has_value());

    store("Mine, 5\n");
    const auto before = readStoredTable(*player, tableName);
    const auto folder = std::filesystem::path(player->locate(HighscoreStorage::keyPath(tableName)));
    const auto modified = std::filesystem::last_write_time(folder / "highscore.REG_SZ");
    std::ostringstream out;
    Replayer r(log, gamePath);
    ASSERT_EQ(r.run(out), Replayer::Same) << out.str();
    EXPECT_EQ(r.finalTable(), "Rec, 77\n");
    EXPECT_EQ(readStoredTable(*player, tableName), before);
    EXPECT_EQ(std::filesystem::last_write_time(folder / "highscore.REG_SZ"), modified) << "not even written again";
}

TEST_F(ReplayerTest, ARecordingCutShortReplaysAsFarAsItGoes) {
    const ReplayLog log = parse(record(true));
    EXPECT_FALSE(log.end.has_value());
    std::string report;
    EXPECT_EQ(replay(log, &report), Replayer::Same) << report;
    EXPECT_NE(report.find("(the recording has no end)"), std::string::npos) << report;
    EXPECT_NE(report.find("state 3"), std::string::npos) << "it stopped in the round: " << report;
}

// A few turns on the title, recorded and cut short: a second of game time.
std::string shortTitleRecording(Store& store) {
    std::ostringstream out;
    NullAudio audio;
    ScopedAudioOutput output(audio);
    NullWindow window;
    Recorder rec(window, out, gamePath, 50000, store);
    EXPECT_TRUE(rec.startUp());
    for (uint32_t tick = 50000; tick < 51000; tick += 40) EXPECT_TRUE(rec.step(tick));
    rec.finish();
    return out.str();
}

TEST_F(ReplayerTest, AWatchedReplayShowsMarkedFramesAtItsPaceAndComparesUnmarkedOnes) {
    const ReplayLog log = parse(shortTitleRecording(*player));
    NullWindow viewer;
    Replayer watched(log, gamePath);
    watched.watchIn(viewer);
    std::ostringstream report;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(watched.run(report), Replayer::Same) << report.str();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << "at the recorded pace";
    ASSERT_FALSE(viewer.lastFrame().empty());
    // The mark's black box and the first stroke of its W, on the viewer's frame only.
    EXPECT_EQ(viewer.lastFrame().rgbAt(5, 5), 0x000000u);
    EXPECT_EQ(viewer.lastFrame().rgbAt(8, 8) & 0xf0f0f0, 0xf0f0f0u); // white in any depth
    Replayer plain(log, gamePath);
    std::ostringstream plainReport;
    EXPECT_EQ(plain.run(plainReport), Replayer::Same);
    EXPECT_EQ(plain.finalCheck(), watched.finalCheck()) << "the mark never reaches the compared frame";
}

TEST_F(ReplayerTest, EscapeInTheViewerStopsAWatchedReplay) {
    const ReplayLog log = parse(shortTitleRecording(*player));
    NullWindow viewer;
    viewer.post(msg::KeyDown, vk::Escape);
    Replayer watched(log, gamePath);
    watched.watchIn(viewer);
    std::ostringstream report;
    watched.run(report);
    EXPECT_TRUE(watched.stopped());
    EXPECT_LE(watched.turns(), 2u);
    EXPECT_NE(report.str().find("stopped by the viewer"), std::string::npos) << report.str();
}

} // namespace
} // namespace vandrel
