// Running the program while writing down everything that steers it.
#include "replay/Recorder.h"

#include "base/Random.h"

#include "data/SetupRecord.h"
#include "replay/FrameHash.h"
#include "scores/HighscoreStorage.h"
#include "scores/TableKind.h"
#include "system/Store.h"
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace vandrel {

std::vector<ReplayStoreValue> readStoredTable(const Store& store, const std::string& tableName) {
    std::vector<ReplayStoreValue> out;
    if (!HighscoreStorage::isUsableName(tableName)) return out;
    const std::unique_ptr<StoreKey> key = store.open(HighscoreStorage::keyPath(tableName));
    for (const char* name : {HighscoreStorage::textValueName, HighscoreStorage::checkValueName}) {
        ReplayStoreValue v;
        v.name = name;
        v.binary = std::string_view(name) == HighscoreStorage::checkValueName;
        StoreValue stored;
        // Generous: the recording keeps what is there, even what the game would refuse.
        if (key && key->read(name, stored, 1u << 20)) {
            v.binary = stored.type == StoreType::Binary;
            v.bytes = stored.bytes;
        }
        out.push_back(std::move(v));
    }
    return out;
}

std::string recordedTableName(const std::string& exePath, const PlayOptions& play) {
    return tableNameFor(readTableName(exePath).value_or(""), play.tableKind());
}

Recorder::Recorder(Window& window, std::ostream& out, const std::string& exePath, uint32_t startTick, Store& store,
                   std::optional<bool> startFullScreen, const PlayOptions& play,
                   const std::function<void(HostSetup&)>& setUp)
    : out_(out), store_(store), exePath_(exePath), clock_(startTick), writer_(out), recordingWindow_(window, writer_) {
    tableName_ = recordedTableName(exePath, play);
    writer_.header(archiveHash(exePath), gameRandState(), startTick);
    if (startFullScreen) writer_.startMode(*startFullScreen);
    writer_.play(play);
    for (const ReplayStoreValue& v : readStoredTable(store_, tableName_)) writer_.store(v);
    // The game and its sound system come to life at the recorded start.
    HostSetup setup(recordingWindow_, store_, exePath);
    setup.startFullScreen(startFullScreen).play(play);
    if (setUp) setUp(setup);
    host_.emplace(setup);
    stepTick_ = startTick;
}

Recorder::~Recorder() { finish(); }

bool Recorder::startUp() {
    const bool ok = host_->program().startUp();
    writer_.flush();
    return ok;
}

ReplayCheck checkOf(uint32_t tick, const Game& game, const ShownFrame& frame) {
    ReplayCheck c;
    c.tick = tick;
    const GameReadings now = game.readings();
    c.state = static_cast<int32_t>(now.state);
    c.score = now.score;
    c.pending = now.pendingScore;
    c.frameHash = frameHash(frame);
    return c;
}

ReplayCheck Recorder::currentCheck() const { return checkOf(stepTick_, host_->game(), recordingWindow_.lastFrame()); }

void Recorder::checkpoint() {
    lastCheck_ = currentCheck();
    haveCheck_ = true;
    writer_.check(lastCheck_);
}

bool Recorder::continueLoad(uint32_t sliceMs) {
    Game& game = host_->game();
    const auto start = std::chrono::steady_clock::now();
    while (game.fullLoadPending() && game.continueFullLoad() &&
           std::chrono::steady_clock::now() - start < std::chrono::milliseconds(sliceMs)) {}
    return game.fullLoadPending();
}

bool Recorder::step(uint32_t tick) {
    if (!running_) return false;
    clock_.set(tick);
    stepTick_ = tick;
    const uint32_t frames = recordingWindow_.framesShown();
    running_ = host_->program().step(exitCode_);
    slept_ = clock_.now() - tick;
    if (!running_) return false;
    // A checkpoint whenever the screen, the score or the score waiting for a
    // name changes, and about once a second of frames besides.
    const GameReadings now = host_->game().readings();
    const bool changed = !haveCheck_ || static_cast<int32_t>(now.state) != lastCheck_.state ||
                         now.score != lastCheck_.score || now.pendingScore != lastCheck_.pending;
    const bool due = recordingWindow_.framesShown() != frames && tick - lastCheck_.tick >= 1000;
    if (changed || due) checkpoint();
    return true;
}

int Recorder::finish() {
    if (finished_) return exitCode_;
    finished_ = true;
    ReplayEnd e;
    e.exitCode = exitCode_;
    e.check = currentCheck();
    // Cut short by the caller, the recording has no end, and the game is let
    // go as a replay of it will let it go.
    host_->end();
    if (!running_) writer_.end(e);
    writer_.comment("The stored high-score table afterwards:");
    for (const ReplayStoreValue& v : readStoredTable(store_, tableName_)) {
        if (v.name == HighscoreStorage::textValueName && v.bytes) {
            std::string text(v.bytes->begin(), v.bytes->end());
            writer_.comment(text.substr(0, text.find('\0')));
        }
        writer_.finalStore(v);
    }
    writer_.flush();
    return exitCode_;
}

int recordFile(const std::string& path, const std::string& exePath, Window& window, Store& store,
               std::optional<bool> startFullScreen, const PlayOptions& play) {
    std::ofstream out(path, std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "vandrel: cannot write %s\n", path.c_str());
        return 1;
    }
    // The wall clock, in the game's ticks from the moment recording begins.
    const uint32_t start = tickCount();
    const auto base = std::chrono::steady_clock::now();
    auto now = [&] {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - base);
        return start + static_cast<uint32_t>(ms.count());
    };
    Recorder recorder(window, out, exePath, start, store, startFullScreen, play);
    if (!recorder.startUp()) {
        recorder.finish();
        return 1;
    }
    while (recorder.step(now())) {
        // The held clock only counted the loop's sleep; take it for real.
        if (recorder.sleptMs() > 0 && recorder.sleptMs() < 1000)
            std::this_thread::sleep_for(std::chrono::milliseconds(recorder.sleptMs()));
    }
    const int code = recorder.finish();
    if (!out) {
        std::fprintf(stderr, "vandrel: the recording %s is incomplete\n", path.c_str());
        return 1;
    }
    return code;
}

} // namespace vandrel
