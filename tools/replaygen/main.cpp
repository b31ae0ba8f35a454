// replaygen: plays the test suite's recorded games on the built game, headless,
// and writes their recordings (tests/replay/*.vrec).
//   replaygen GAME OUTDIR [NAME...]   NAME: round, altenter, scroll (all if none)
// GAME is the game, or a data set it plays (a gallery's zip); FILE=NAME
// writes the game NAME into FILE.vrec, for a gallery's own recording.
// The games are scripted, so the same game and data set give the same files.
#include "ScriptedGame.h"

#include "app/Game.h"
#include "backends/null/MemoryStore.h"
#include "base/Random.h"
#include "data/SetupRecord.h"
#include "input/Messages.h"
#include "scores/HighscoreStorage.h"
#include "system/Store.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace vandrel;

namespace {

// Frames of the recorded games: 25 a second, a pace a slow machine might keep.
constexpr uint32_t frameMs = 40;

bool fail(const char* what) {
    std::fprintf(stderr, "replaygen: %s\n", what);
    return false;
}

// Shoots at what is in view for a while: hits where a figure shows, a miss every
// fourth shot, a reload whenever the magazine is empty.
void shootFor(ScriptedGame& g, uint32_t ms, uint32_t pauseMs, int& hits, int& misses) {
    const uint32_t until = g.tick() + ms;
    int shot = 0;
    while (static_cast<int32_t>(until - g.tick()) > 0 && g.game().state() == GameState::InPlay && !g.ended()) {
        if (!g.game().session().hasAmmo()) {
            g.rightClick();
            g.run(pauseMs);
            continue;
        }
        int32_t x = 0, y = 0;
        const bool miss = ++shot % 4 == 0;
        if (miss ? g.findMiss(x, y) : g.findTarget(x, y)) {
            const int32_t before = g.game().readings().score;
            g.click(x, y);
            g.run(frameMs);
            (g.game().readings().score != before ? hits : misses)++;
        } else {
            // Nothing to shoot: wander with the mouse in the quiet middle.
            g.moveTo(260 + static_cast<int32_t>((g.tick() / 40) % 120),
                     200 + static_cast<int32_t>((g.tick() / 70) % 120));
        }
        g.run(pauseMs);
    }
}

// Escape from the title to the table, on to the credits, and a click to leave.
bool leave(ScriptedGame& g) {
    g.press(vk::Escape);
    g.run(3000);
    if (g.game().state() != GameState::HighScores) return fail("Escape did not open the table");
    g.press(vk::Escape);
    g.run(1500);
    if (g.game().state() != GameState::Credits) return fail("Escape did not open the credits");
    g.click(320, 240);
    return g.runToEnd(2000) || fail("the game did not end");
}

bool startRound(ScriptedGame& g) {
    g.moveTo(320, 240);
    g.run(600);
    if (g.game().state() != GameState::Title) return fail("no title screen");
    g.click(320, 240);
    g.run(frameMs);
    return g.game().state() == GameState::InPlay || fail("the click did not start a round");
}

// A whole round to the clock's end with hits and misses, then a name for the
// new row of the table.
bool round(ScriptedGame& g) {
    if (!startRound(g)) return false;
    int hits = 0, misses = 0;
    shootFor(g, 200000, 700, hits, misses);
    if (!g.runUntil([&] { return g.game().state() == GameState::HighScores; }, 5000))
        return fail("the round did not end");
    std::printf("round: %d hits, %d misses, score %d\n", hits, misses, g.game().readings().pendingScore);
    if (hits < 3 || misses < 1) return fail("too few hits or misses");
    // The wipe, then the name, with a slip mended on the way, then a click on
    // the table to leave it.
    g.run(3500);
    g.type("Replx");
    g.press(vk::Back);
    g.run(120);
    g.type("ay");
    g.press(vk::Return);
    g.run(1500);
    g.click(320, 240);
    if (!g.runUntil([&] { return g.game().state() == GameState::Title; }, 3000))
        return fail("the name entry did not end");
    return leave(g);
}

// Alt+Enter in the middle of a round, back to the title in the other mode, and
// again; then a round in the mode the game started in.
bool altEnter(ScriptedGame& g) {
    if (!startRound(g)) return false;
    int hits = 0, misses = 0;
    shootFor(g, 4000, 500, hits, misses);
    const bool fullScreen = g.game().fullScreen();
    g.altEnter();
    g.run(500);
    if (g.game().state() != GameState::Title || g.game().fullScreen() == fullScreen)
        return fail("the first Alt+Enter did not switch");
    if (!startRound(g)) return false;
    shootFor(g, 3000, 500, hits, misses);
    g.altEnter();
    g.run(500);
    if (g.game().state() != GameState::Title || g.game().fullScreen() != fullScreen)
        return fail("the second Alt+Enter did not switch");
    if (!startRound(g)) return false;
    shootFor(g, 3000, 500, hits, misses);
    std::printf("altenter: %d hits, %d misses\n", hits, misses);
    g.press(vk::Escape);
    g.run(3000);
    g.press(vk::Escape);
    g.run(1000);
    g.press(vk::Escape);
    return g.runToEnd(2000) || fail("the game did not end");
}

// Scrolling by the arrow keys held and by the mouse at both edges, shooting in
// between.
bool scroll(ScriptedGame& g) {
    if (!startRound(g)) return false;
    int hits = 0, misses = 0;
    std::vector<int32_t> seen{g.game().scroll()};
    auto hold = [&](uint32_t key, uint32_t ms) {
        g.keyDown(key);
        g.run(ms);
        g.keyUp(key);
        g.run(frameMs);
        seen.push_back(g.game().scroll());
    };
    auto edge = [&](int32_t x, uint32_t ms) {
        g.moveTo(x, 240);
        g.run(ms);
        seen.push_back(g.game().scroll());
    };
    hold(vk::Right, 2500);
    shootFor(g, 2000, 400, hits, misses);
    hold(vk::Left, 1200);
    edge(639, 2500);
    shootFor(g, 2000, 400, hits, misses);
    edge(0, 1500);
    edge(2, 3000);
    hold(vk::Right, 800);
    edge(637, 4000);
    shootFor(g, 2000, 400, hits, misses);
    std::printf("scroll: positions");
    for (int32_t s : seen) std::printf(" %d", s);
    std::printf("; %d hits, %d misses\n", hits, misses);
    g.press(vk::Escape);
    g.run(3000);
    g.press(vk::Escape);
    g.run(1000);
    g.press(vk::Escape);
    return g.runToEnd(2000) || fail("the game did not end");
}

// A table of a few rows, so the round's score goes somewhere in the middle.
bool seedTable(const std::string& game, Store& store) {
    const std::optional<std::string> name = readTableName(game);
    if (!name) return fail("the game's archive names no table");
    const std::string text = "Ada, 4000\nBo, 1500\nCyd, 300\nDee, 20\n";
    const HighscoreStorage::Check check = HighscoreStorage::checkValue(text, *name);
    StoreValue values[2];
    values[0].name = "highscore";
    values[0].type = StoreType::String;
    values[0].bytes.assign(text.begin(), text.end());
    values[0].bytes.push_back(0);
    values[1].name = "check";
    values[1].type = StoreType::Binary;
    values[1].bytes.assign(check.begin(), check.end());
    const std::unique_ptr<StoreKey> key = store.create(HighscoreStorage::keyPath(*name));
    return (key && key->write(values)) || fail("cannot store the starting table");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: replaygen GAME OUTDIR [[FILE=]round|altenter|scroll]...\n");
        return 2;
    }
    const std::string game = std::filesystem::absolute(argv[1]).string();
    const std::filesystem::path outDir = argv[2];
    const std::map<std::string, std::function<bool(ScriptedGame&)>> scripts{
        {"round", round}, {"altenter", altEnter}, {"scroll", scroll}};
    std::vector<std::string> names;
    for (int i = 3; i < argc; ++i) names.push_back(argv[i]);
    if (names.empty()) names = {"round", "altenter", "scroll"};

    std::error_code ec;
    std::filesystem::create_directories(outDir, ec);

    int status = 0;
    for (const std::string& named : names) {
        const size_t equals = named.find('=');
        const std::string file = named.substr(0, equals);
        const std::string name = equals == std::string::npos ? named : named.substr(equals + 1);
        auto it = scripts.find(name);
        if (it == scripts.end() || file.empty()) {
            std::fprintf(stderr, "replaygen: no game named %s\n", named.c_str());
            return 2;
        }
        // A table of the game's own for each recording, never the player's.
        MemoryStore store;
        if (!seedTable(game, store)) return 1;
        reseedGameRand();
        const std::filesystem::path out = outDir / (file + ".vrec");
        bool ok = false;
        {
            ScriptedGame g(out.string(), game, frameMs, store);
            ok = g.startUp() && it->second(g);
            const int code = g.finish();
            ok = ok && g.ended() && code == 0;
        }
        std::printf("%s: %s\n", out.string().c_str(), ok ? "written" : "FAILED");
        if (!ok) status = 1;
    }
    return status;
}
