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
#include <optional>
#include <thread>

namespace vandrel {
namespace {

// Walks the recording's events: the window takes each turn's messages and
// tick from here, the replayer the checkpoints in between.
class EventCursor {
public:
    explicit EventCursor(const std::vector<ReplayEvent>& events) : events_(events) {}

    bool turnAhead() const { return nextTurn() != nullptr; }
    // How long after the last turn the next one runs (0 when none is left).
    uint32_t nextDelta() const {
        const ReplayEvent* e = nextTurn();
        return e ? e->delta : 0;
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
    const ReplayEvent* nextTurn() const {
        for (size_t i = index_; i < events_.size(); ++i)
            if (events_[i].kind == ReplayEvent::Kind::Steps) return &events_[i];
        return nullptr;
    }

    const std::vector<ReplayEvent>& events_;
    size_t index_ = 0;
    uint32_t usedInRun_ = 0;
};

// The headless window fed from the recording: each turn of the loop brings the
// messages the real window delivered at that turn, at the recorded tick.
class ReplayWindow : public NullWindow {
public:
    ReplayWindow(EventCursor& cursor, ManualClock& clock, Window* viewer, bool paced, bool marked)
        : cursor_(cursor), clock_(clock), tick_(clock.now()), firstTick_(tick_), viewer_(viewer), paced_(paced),
          withMark_(marked), wallStart_(std::chrono::steady_clock::now()) {}

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
        if (viewer_ && !withMark_) {
            viewer_->showFrame(frame);
        } else if (viewer_ && !frame.isLocked()) {
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
        if (!paced_) return;
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
    bool paced_;
    bool withMark_;
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

// What a replay holds while it runs: the private store, the recording's
// cursor and clock, the headless game.
struct Replayer::Running {
    Running(const ReplayLog& log, Window* viewer, bool paced, bool marked)
        : cursor(log.events), clock(log.startTick), window(cursor, clock, viewer, paced, marked) {}

    MemoryStore store;
    std::string tableName;
    EventCursor cursor;
    ManualClock clock;
    NullAudio audio;
    ReplayWindow window;
    // Made once the recorded table is in the store.
    std::optional<GameHost> host;
    std::ostream* report = nullptr;
    Replayer::Result result = Replayer::Same;
    bool ended = false;
    bool over = false;
    int exitCode = 0;
};

Replayer::Replayer(const ReplayLog& log, std::string exePath) : log_(log), exePath_(std::move(exePath)) {}

Replayer::~Replayer() = default;

bool Replayer::begin(std::ostream& report) {
    running_.reset();
    const uint64_t data = archiveHash(exePath_);
    if (data != log_.dataHash) {
        report << "cannot replay: recorded with data set " << hexText(log_.dataHash) << ", this game has "
               << hexText(data) << "; record it again with this game\n";
        return false;
    }
    // The game's random state before the game object is made, as recorded.
    setGameRandState(log_.randState);
    running_ = std::make_unique<Running>(log_, viewer_, paced_, marked_);
    Running& r = *running_;
    r.report = &report;
    // The recorded table in a store of the replay's own: the player's is never
    // read or written.
    r.tableName = recordedTableName(exePath_, log_.play);
    if (!writeStoredTable(r.store, r.tableName, log_.storeBefore)) {
        report << "cannot replay: the recorded high-score table cannot be stored\n";
        running_.reset();
        return false;
    }
    r.host.emplace(
        HostSetup(r.window, r.store, exePath_).audio(r.audio).startFullScreen(log_.startFullScreen).play(log_.play));
    r.host->program().startUp();
    return true;
}

ReplayCheck Replayer::current() const {
    const Running& r = *running_;
    return checkOf(r.window.turnTick(), r.host->game(), r.window.lastFrame());
}

uint32_t Replayer::nextTick() const {
    return running_ ? running_->window.turnTick() + running_->cursor.nextDelta() : log_.startTick;
}

bool Replayer::turn() {
    if (!running_ || running_->over) return false;
    Running& r = *running_;
    std::ostream& report = *r.report;
    if ((r.result != Same && !playToEnd_) || !r.cursor.turnAhead() || r.window.stopped()) {
        r.over = true;
        return false;
    }
    ++turns_;
    if (!r.host->program().step(r.exitCode)) {
        r.ended = true;
        r.over = true;
        return false;
    }
    while (const ReplayEvent* e = r.cursor.peek()) {
        if (r.result != Same) {
            // Played on after a divergence: the checkpoints are not compared
            // any more; the messages are the next turn's.
            if (e->kind != ReplayEvent::Kind::Check) break;
            r.cursor.takeOther();
            continue;
        }
        if (e->kind == ReplayEvent::Kind::Size) {
            report << "divergence: the game asked for the window's size fewer times in turn " << turns_
                   << " than recorded\n";
            r.result = Diverged;
            break;
        }
        if (e->kind != ReplayEvent::Kind::Check) break;
        r.cursor.takeOther();
        ++checkpoints_;
        const ReplayCheck got = current();
        if (!(got == e->check)) {
            report << "divergence at checkpoint " << checkpoints_ << " after turn " << turns_ << ":\n  replayed "
                   << describe(got) << "\n  recorded " << describe(e->check) << '\n';
            r.result = Diverged;
            break;
        }
    }
    return true;
}

Replayer::Result Replayer::end() {
    if (!running_) return CannotReplay;
    Running& r = *running_;
    std::ostream& report = *r.report;
    final_ = current();
    stopped_ = r.window.stopped();
    Result result = r.result;
    if (stopped_) report << "stopped by the viewer after turn " << turns_ << '\n';
    if (result == Same && !stopped_) {
        if (r.ended && r.cursor.turnAhead()) {
            report << "divergence: the game ended after turn " << turns_ << ", before the recording did\n";
            result = Diverged;
        } else if (!r.ended && log_.end) {
            report << "divergence: the recorded game ended after turn " << turns_ << ", the replayed one goes on\n";
            result = Diverged;
        } else if (r.ended && log_.end && (r.exitCode != log_.end->exitCode || !(final_ == log_.end->check))) {
            report << "divergence at the end (exit code " << r.exitCode << ", recorded " << log_.end->exitCode
                   << ") after turn " << turns_ << ":\n  replayed " << describe(final_) << "\n  recorded "
                   << describe(log_.end->check) << '\n';
            result = Diverged;
        }
    }
    // A recording cut short, or one that went another way, lets the game go
    // as the recorder did.
    r.host->end();
    const std::vector<ReplayStoreValue> after = readStoredTable(r.store, r.tableName);
    finalTable_ = tableTextOf(after);
    if (result == Same && !stopped_ && !log_.storeAfter.empty() && after != log_.storeAfter) {
        report << "divergence: the stored high-score table differs\n  replayed:\n"
               << finalTable_ << "  recorded:\n"
               << tableTextOf(log_.storeAfter);
        result = Diverged;
    }

    report << "replayed " << turns_ << " turns, " << checkpoints_ << " checkpoints"
           << (result == Same ? ", all as recorded" : "") << (log_.end ? "" : " (the recording has no end)") << '\n';
    report << "end: exit " << r.exitCode << ", " << describe(final_) << '\n';
    report << "table:\n" << finalTable_;
    running_.reset();
    return result;
}

Replayer::Result Replayer::run(std::ostream& report) {
    if (!begin(report)) return CannotReplay;
    while (turn()) {}
    return end();
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
