// Recording the played game in memory and writing each finished round on a
// worker thread.
#include "replay/RoundKeeper.h"

#include "app/GalleryChoice.h"
#include "app/GameHost.h"
#include "app/PlayerControls.h"
#include "base/Clock.h"
#include "config/Settings.h"
#include "data/SetupRecord.h"
#include "replay/Recorder.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <ostream>

namespace vandrel {

CappedRecording::int_type CappedRecording::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char ch = traits_type::to_char_type(c);
    xsputn(&ch, 1);
    return c;
}

std::streamsize CappedRecording::xsputn(const char* s, std::streamsize n) {
    if (full_ || text_.size() + static_cast<std::size_t>(n) > limit_) {
        full_ = true;
        return n; // dropped: the writer goes on, nothing more is kept
    }
    text_.append(s, static_cast<std::size_t>(n));
    return n;
}

RoundKeeper::RoundKeeper(RoundShelf shelf, std::string gallery)
    : shelf_(std::move(shelf)), gallery_(std::move(gallery)) {
#if !defined(__EMSCRIPTEN__)
    worker_ = std::thread([this] { work(); });
#endif
}

RoundKeeper::~RoundKeeper() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    // The page has no second thread: there the rounds were written as they came.
    if (worker_.joinable()) worker_.join();
}

bool RoundKeeper::afterTurn(GameState state, const CappedRecording& recording) {
    const bool ended = lastState_ == GameState::InPlay && state == GameState::HighScores;
    lastState_ = state;
    if (!ended) return false;
    if (recording.full()) {
        if (!toldFull_) std::fprintf(stderr, "vandrel: this session is too long to keep its rounds any more\n");
        toldFull_ = true;
        return false;
    }
    // The copy is the frame's only cost; the file is written on the worker.
    std::string round = recording.text();
    round += galleryComment(gallery_);
    round += '\n';
    lastRound_ = round;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back(std::move(round));
    }
    wake_.notify_one();
#if defined(__EMSCRIPTEN__)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    work(); // writes what waits, then returns as the worker would when stopping
    stopping_ = false;
#endif
    return true;
}

void RoundKeeper::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
        if (waiting_.empty()) return; // stopping, and everything written
        std::string round = std::move(waiting_.front());
        waiting_.pop_front();
        writing_ = true;
        lock.unlock();
        const std::filesystem::path file = shelf_.keep(round, std::time(nullptr));
        if (file.empty())
            std::fprintf(stderr, "vandrel: cannot keep the round in %s\n", shelf_.folder().string().c_str());
        lock.lock();
        writing_ = false;
        if (!file.empty()) ++kept_;
        idle_.notify_all();
    }
}

void RoundKeeper::waitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return waiting_.empty() && !writing_; });
}

std::size_t RoundKeeper::kept() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return kept_;
}

std::optional<int> playKeepingRounds(const std::string& exePath, Window& window, Store& store, Settings& settings,
                                     const SettingValues& commandLine, FrameLog* frameLog, const RoundShelf& shelf,
                                     GalleryChoice* galleries) {
    CappedRecording recording;
    std::ostream out(&recording);
    RoundKeeper keeper(shelf, readTableName(exePath).value_or("?"));
    // The wall clock in the game's ticks, read once per turn as --record does.
    const uint32_t start = tickCount();
    const auto base = std::chrono::steady_clock::now();
    auto now = [&] {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - base);
        return start + static_cast<uint32_t>(ms.count());
    };
    // The start mode the player chose goes into the recording, so the replay
    // starts the way the game did.
    // The rounds' options too: a slower or longer round replays as it was played.
    const SettingValues chosen = commandLine.over(settings.values());
    Recorder recorder(
        window, out, exePath, start, store, chosen.fullScreen(), playOptionsOf(chosen),
        [&](HostSetup& setup) { setup.player(settings, commandLine).galleries(galleries).frameLog(frameLog); });
    const std::size_t startGallery = galleries ? galleries->chosen() : 0;
    bool keeping = true;
    if (!recorder.startUp()) {
        recorder.finish();
        return std::nullopt;
    }
    // As the played game without kept rounds: the X library may end the
    // process from inside the loop, and the table is kept then too.
    recorder.host().keepTableOnExit(true);
    while (recorder.step(now())) {
        // A round handed to the writer is named on the high-score screen.
        if (keeping && galleries && galleries->chosen() != startGallery) {
            std::fprintf(stderr, "vandrel: rounds on another gallery than the first are not kept this session\n");
            keeping = false;
        }
        if (keeping && keeper.afterTurn(recorder.game().state(), recording) && recorder.controls())
            recorder.controls()->roundKept();
        if (recorder.sleptMs() > 0 && recorder.sleptMs() < 1000)
            std::this_thread::sleep_for(std::chrono::milliseconds(recorder.sleptMs()));
    }
    recorder.host().keepTableOnExit(false);
    return recorder.finish();
}

} // namespace vandrel
