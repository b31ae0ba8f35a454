// Reading a shared round and playing it one browser frame at a time.
#include "PageReplay.h"

#include "backends/Backend.h"
#include "base/Presentation.h"
#include "data/SetupRecord.h"
#include "link/RoundLink.h"
#include "replay/FrameHash.h"
#include "replay/RoundShelf.h"

#include <emscripten.h>

#include <fstream>
#include <sstream>
#include <utility>

namespace vandrel {
namespace {

// Where the page put the link it was opened with (page/pre.js).
constexpr const char* linkPath = "/tmp/round-link";
// The screen a finished round's score waits on (the game's GameState number).
constexpr int32_t stateHighScores = 4;
// A browser frame runs the turns that are due, at most this many: a recording
// of countless empty turns cannot freeze the page, it only plays slower.
constexpr int maxTurnsPerFrame = 400;
// A longer still stretch in the recording (the page loading, a hidden tab)
// is cut to this many ms.
constexpr double longestWaitMs = 1000;

PageReplay* replaying = nullptr;

void tellPage(const char* event, int value, const std::string& text) {
    EM_ASM(
        {
            if (Module.onGameEvent) Module.onGameEvent(UTF8ToString($0), $1, UTF8ToString($2));
        },
        event, value, text.c_str());
}

// What the round's last screen shows as its score: the one waiting for a
// name, or the running one of a round left with Escape.
int32_t scoreOf(const ReplayCheck& c) { return c.state == stateHighScores && c.pending != 0 ? c.pending : c.score; }

} // namespace

bool PageReplay::requested() {
    std::ifstream in(linkPath);
    return static_cast<bool>(in);
}

PageReplay::~PageReplay() = default;

int PageReplay::run(const char* dataSet) {
    std::ifstream in(linkPath, std::ios::binary);
    std::string text;
    // Read no further than the longest link the codec looks at, and a little.
    text.resize(roundLink::maxPayloadChars + 64);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    std::string recording, error;
    if (!roundLink::decode(text, recording, error)) {
        tellPage("replayRefused", 0, error);
        return 0;
    }
    std::unique_ptr<PageReplay> r(new PageReplay());
    std::istringstream lines(recording);
    if (!r->log_.read(lines, error)) {
        tellPage("replayRefused", 0, "the round in the link cannot be read (" + error + ")");
        return 0;
    }
    KeptRound kept;
    std::istringstream again(recording);
    if (describeKeptRound(again, kept)) r->claimed_ = kept.score;
    // Another gallery or version: said with what it needs, never replayed.
    const uint64_t ours = archiveHash(dataSet);
    if (ours != r->log_.dataHash) {
        tellPage("replayOther", 0,
                 (kept.gallery.empty() ? "?" : kept.gallery) + '\t' + hexText(r->log_.dataHash) + '\t' +
                     readTableName(dataSet).value_or("?") + '\t' + hexText(ours));
        return 0;
    }
    ScreenOptions screen;
    screen.windowScale = 1;
    r->backend_ = Backend::create(BackendKind::Sdl, error, screen);
    if (!r->backend_) {
        tellPage("failed", 1, error);
        return 1;
    }
    r->replayer_ = std::make_unique<Replayer>(r->log_, dataSet);
    // The page paces the turns and draws its own banner; the replay goes on
    // past a divergence so the player sees where the input leads.
    r->replayer_->watchIn(r->backend_->window(), false, false);
    r->replayer_->playToEnd();
    if (!r->replayer_->begin(r->report_)) {
        tellPage("replayRefused", 0, r->report_.str());
        return 0;
    }
    tellPage("replayStarted", r->claimed_, kept.gallery);
    r->startMs_ = emscripten_get_now();
    replaying = r.release();
    emscripten_set_main_loop(frame, 0, 0);
    return 0;
}

void PageReplay::frame() {
    PageReplay* r = replaying;
    if (!r) return;
    Replayer& replayer = *r->replayer_;
    const double now = emscripten_get_now();
    double due = replayer.startTick() + (now - r->startMs_);
    // A long still stretch ahead is cut short.
    if (replayer.nextTick() - due > longestWaitMs) {
        r->startMs_ -= replayer.nextTick() - due - longestWaitMs;
        due = replayer.nextTick() - longestWaitMs;
    }
    for (int turns = 0; replayer.nextTick() <= due; ++turns) {
        if (turns == maxTurnsPerFrame) {
            // Behind: the rest waits for the next frame, not run faster.
            r->startMs_ += replayer.nextTick() - due;
            break;
        }
        if (!replayer.turn()) {
            r->end();
            return;
        }
    }
}

void PageReplay::end() {
    emscripten_cancel_main_loop();
    const Replayer::Result result = replayer_->end();
    const ReplayCheck& last = replayer_->finalCheck();
    // For the page: as recorded, not, or stopped with Escape; the claimed score, the final frame's
    // hash and the turns, then what the replay found.
    const char* how = replayer_->stopped() ? "stopped" : result == Replayer::Same ? "same" : "diverged";
    std::string text = std::string(how) + '\t' + std::to_string(claimed_) + '\t' + hexText(last.frameHash) + '\t' +
                       std::to_string(replayer_->turns()) + '\t' + report_.str();
    // The canvas keeps the last frame: the window stays until the page goes.
    replaying = nullptr;
    tellPage("replayEnded", scoreOf(last), text);
}

} // namespace vandrel
