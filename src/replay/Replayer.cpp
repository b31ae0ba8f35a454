// Playing a recording back on the headless platform and comparing as it goes.
#include "replay/Replayer.h"

#include "app/GameHost.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "base/Clock.h"
#include "base/Random.h"
#include "data/SetupRecord.h"
#include "replay/FrameHash.h"
#include "replay/Recorder.h"
#include "replay/ReplayMark.h"
#include "scores/HighscoreStorage.h"
#include "system/Store.h"

#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

namespace vandrel {
namespace {

// Walks the recording's events: the window takes each turn's messages and
// tick from here, the replayer the checkpoints in between.
class EventCursor {
public:
    explicit EventCursor(const std::vector<ReplayEvent>& events) : events_(events) {}

    bool turnAhead() const {
        for (size_t i = index_; i < events_.size(); ++i)
            if (events_[i].kind == ReplayEvent::Kind::Steps) return true;
        return false;
    }
    const ReplayEvent* peek() const { return index_ < events_.size() ? &events_[index_] : nullptr; }
    // The next event that is not a turn; a turn is taken with takeTurn.
    const ReplayEvent* takeOther() {
        const ReplayEvent* e = peek();
        if (!e || e->kind == ReplayEvent::Kind::Steps) return nullptr;
        ++index_;
        return e;
    }
    // The delta of the next turn; false when there is none here.
    bool takeTurn(uint32_t& delta) {
        const ReplayEvent* e = peek();
        if (!e || e->kind != ReplayEvent::Kind::Steps) return false;
        delta = e->delta;
        if (++usedInRun_ == e->count) {
            usedInRun_ = 0;
            ++index_;
        }
        return true;
    }

private:
    const std::vector<ReplayEvent>& events_;
    size_t index_ = 0;
    uint32_t usedInRun_ = 0;
};

// The headless window fed from the recording: each turn of the loop brings the
// messages the real window delivered at that turn, at the recorded tick.
class ReplayWindow : public NullWindow {
public:
    ReplayWindow(EventCursor& cursor, ManualClock& clock, Window* viewer)
        : cursor_(cursor), clock_(clock), tick_(clock.now()), firstTick_(tick_), viewer_(viewer),
          wallStart_(std::chrono::steady_clock::now()) {}

    void pumpEvents() override {
        while (const ReplayEvent* e = cursor_.takeOther()) {
            if (e->kind == ReplayEvent::Kind::Message) queue().post(e->message);
            // The replayer has seen to sizes and checkpoints before this.
        }
        query_ = 0;
        uint32_t delta = 0;
        if (cursor_.takeTurn(delta)) {
            tick_ += delta;
            clock_.set(tick_);
        }
        if (viewer_) watch();
    }
    // Whatever arrived while the real window waited is in the next turn.
    void waitEvents(uint32_t) override {}
    // The real window reported itself active; that message is in the recording.
    void show() override {
        if (viewer_) viewer_->show();
    }
    bool setVideoMode(bool fullScreen, int32_t width, int32_t height) override {
        // The viewer stays a window, whatever the recorded game did.
        if (viewer_) viewer_->setVideoMode(false, width, height);
        return NullWindow::setVideoMode(fullScreen, width, height);
    }
    bool showFrame(const VideoSurface& frame) override {
        const bool shown = NullWindow::showFrame(frame); // what the checkpoints hash
        if (viewer_ && !frame.isLocked()) {
            if (!marked_ || marked_->width() != frame.width() || marked_->height() != frame.height() ||
                marked_->format() != frame.format())
                marked_ = std::make_unique<VideoSurface>(frame.width(), frame.height(), frame.format(), false);
            if (marked_->blt(nullptr, const_cast<VideoSurface*>(&frame), nullptr, false)) {
                drawReplayMark(*marked_);
                viewer_->showFrame(*marked_);
            }
        }
        return shown;
    }

    // The client area as the real window answered, question by question.
    bool clientRect(Rect& out) const override {
        answerSize();
        out = Rect{0, 0, width_, height_};
        return !isDestroyed() && (width_ > 0 || height_ > 0);
    }
    void clientSize(int32_t& width, int32_t& height) const override {
        answerSize();
        width = width_;
        height = height_;
    }

    uint32_t turnTick() const { return tick_; }
    bool stopped() const { return stopped_; }

private:
    void answerSize() const {
        ++query_;
        const ReplayEvent* e = cursor_.peek();
        if (e && e->kind == ReplayEvent::Kind::Size && e->query == query_) {
            width_ = e->width;
            height_ = e->height;
            cursor_.takeOther();
        }
    }

    // The viewer's own messages (its close button, Escape) and the wait that
    // holds each turn to the moment it had in the recorded game.
    void watch() {
        viewer_->pumpEvents();
        Message m;
        while (viewer_->queue().take(m)) {
            if (m.message == msg::Close || m.message == msg::Destroy || m.message == msg::Quit ||
                (m.message == msg::KeyDown && m.wParam == vk::Escape))
                stopped_ = true;
        }
        const auto now = std::chrono::steady_clock::now();
        auto due = wallStart_ + std::chrono::milliseconds(tick_ - firstTick_);
        // A long still stretch in the recording (a minimised window) is cut to a second.
        if (due - now > std::chrono::seconds(1)) {
            wallStart_ -= due - now - std::chrono::seconds(1);
            due = now + std::chrono::seconds(1);
        }
        if (due > now) std::this_thread::sleep_for(due - now);
    }

    EventCursor& cursor_;
    ManualClock& clock_;
    uint32_t tick_;
    uint32_t firstTick_;
    Window* viewer_;
    std::chrono::steady_clock::time_point wallStart_;
    std::unique_ptr<VideoSurface> marked_;
    bool stopped_ = false;
    mutable uint32_t query_ = 0;
    mutable int32_t width_ = 0;
    mutable int32_t height_ = 0;
};

bool writeStoredTable(Store& store, const std::string& tableName, const std::vector<ReplayStoreValue>& values) {
    std::vector<StoreValue> present;
    for (const ReplayStoreValue& v : values) {
        if (!v.bytes) continue;
        StoreValue s;
        s.name = v.name;
        s.type = v.binary ? StoreType::Binary : StoreType::String;
        s.bytes = *v.bytes;
        present.push_back(std::move(s));
    }
    if (present.empty()) return true;
    if (!HighscoreStorage::isUsableName(tableName)) return false;
    const std::unique_ptr<StoreKey> key = store.create(HighscoreStorage::keyPath(tableName));
    return key && key->write(present);
}

std::string describe(const ReplayCheck& c) {
    return "tick " + std::to_string(c.tick) + ", state " + std::to_string(c.state) + ", score " +
           std::to_string(c.score) + ", pending " + std::to_string(c.pending) + ", frame " + hexText(c.frameHash);
}

std::string tableTextOf(const std::vector<ReplayStoreValue>& values) {
    for (const ReplayStoreValue& v : values) {
        if (v.name == HighscoreStorage::textValueName && v.bytes) {
            std::string text(v.bytes->begin(), v.bytes->end());
            return text.substr(0, text.find('\0'));
        }
    }
    return {};
}

} // namespace

Replayer::Result Replayer::run(std::ostream& report) {
    const uint64_t data = archiveHash(exePath_);
    if (data != log_.dataHash) {
        report << "cannot replay: recorded with data set " << hexText(log_.dataHash) << ", this game has "
               << hexText(data) << "; record it again with this game\n";
        return CannotReplay;
    }
    // The recorded table in a store of the replay's own: the player's is never
    // read or written.
    MemoryStore store;
    const std::string tableName = recordedTableName(exePath_, log_.play);
    if (!writeStoredTable(store, tableName, log_.storeBefore)) {
        report << "cannot replay: the recorded high-score table cannot be stored\n";
        return CannotReplay;
    }

    EventCursor cursor(log_.events);
    ManualClock clock(log_.startTick);
    setGameRandState(log_.randState);
    NullAudio audio;
    ReplayWindow window(cursor, clock, viewer_);
    GameHost host(
        HostSetup(window, store, exePath_).audio(audio).startFullScreen(log_.startFullScreen).play(log_.play));
    Game& game = host.game();
    Program& program = host.program();

    auto current = [&] { return checkOf(window.turnTick(), game, window.lastFrame()); };
    Result result = Same;
    auto diverged = [&](const std::string& what, const ReplayCheck& got, const ReplayCheck& want) {
        report << "divergence " << what << " after turn " << turns_ << ":\n  replayed " << describe(got)
               << "\n  recorded " << describe(want) << '\n';
        result = Diverged;
    };

    program.startUp();
    bool ended = false;
    int exitCode = 0;
    while (result == Same && cursor.turnAhead() && !window.stopped()) {
        ++turns_;
        if (!program.step(exitCode)) {
            ended = true;
            break;
        }
        while (const ReplayEvent* e = cursor.peek()) {
            if (e->kind == ReplayEvent::Kind::Size) {
                report << "divergence: the game asked for the window's size fewer times in turn " << turns_
                       << " than recorded\n";
                result = Diverged;
                break;
            }
            if (e->kind != ReplayEvent::Kind::Check) break;
            cursor.takeOther();
            ++checkpoints_;
            const ReplayCheck got = current();
            if (!(got == e->check)) {
                diverged("at checkpoint " + std::to_string(checkpoints_), got, e->check);
                break;
            }
        }
    }
    final_ = current();
    stopped_ = window.stopped();
    if (stopped_) report << "stopped by the viewer after turn " << turns_ << '\n';
    if (result == Same && !stopped_) {
        if (ended && cursor.turnAhead()) {
            report << "divergence: the game ended after turn " << turns_ << ", before the recording did\n";
            result = Diverged;
        } else if (!ended && log_.end) {
            report << "divergence: the recorded game ended after turn " << turns_ << ", the replayed one goes on\n";
            result = Diverged;
        } else if (ended && log_.end && (exitCode != log_.end->exitCode || !(final_ == log_.end->check))) {
            diverged("at the end (exit code " + std::to_string(exitCode) + ", recorded " +
                         std::to_string(log_.end->exitCode) + ")",
                     final_, log_.end->check);
        }
    }
    // A recording cut short, or one that went another way, lets the game go
    // as the recorder did.
    host.end();
    const std::vector<ReplayStoreValue> after = readStoredTable(store, tableName);
    finalTable_ = tableTextOf(after);
    if (result == Same && !stopped_ && !log_.storeAfter.empty() && after != log_.storeAfter) {
        report << "divergence: the stored high-score table differs\n  replayed:\n"
               << finalTable_ << "  recorded:\n"
               << tableTextOf(log_.storeAfter);
        result = Diverged;
    }

    report << "replayed " << turns_ << " turns, " << checkpoints_ << " checkpoints"
           << (result == Same ? ", all as recorded" : "") << (log_.end ? "" : " (the recording has no end)") << '\n';
    report << "end: exit " << exitCode << ", " << describe(final_) << '\n';
    report << "table:\n" << finalTable_;
    return result;
}

namespace {

int replayOrWatch(const std::string& path, const std::string& exePath, Window* viewer, std::ostream& out) {
    std::ifstream in(path);
    if (!in) {
        out << "cannot replay: cannot open " << path << '\n';
        return Replayer::CannotReplay;
    }
    ReplayLog log;
    std::string error;
    if (!log.read(in, error)) {
        out << "cannot replay " << path << ": " << error << '\n';
        return Replayer::CannotReplay;
    }
    Replayer replayer(log, exePath);
    if (viewer) replayer.watchIn(*viewer);
    return replayer.run(out);
}

} // namespace

int replayFile(const std::string& path, const std::string& exePath, std::ostream& out) {
    return replayOrWatch(path, exePath, nullptr, out);
}

int watchFile(const std::string& path, const std::string& exePath, Window& viewer, std::ostream& out) {
    return replayOrWatch(path, exePath, &viewer, out);
}

} // namespace vandrel
