// Plays a recorded game back headless: the same start tick and random state,
// the same high-score table in a private store, every message at the turn of
// the loop it was taken at, every turn at its tick. Each checkpoint and the end
// are compared with what the recording says.
#pragma once
#include "replay/ReplayLog.h"
#include "video/Window.h"

#include <memory>
#include <ostream>
#include <string>

namespace vandrel {

class Replayer {
public:
    enum Result : int {
        Same = 0,        // everything as recorded
        Diverged = 1,    // a checkpoint, the end or the stored table differs
        CannotReplay = 2 // unreadable recording, other data set, no store
    };

    Replayer(const ReplayLog& log, std::string exePath);
    ~Replayer();
    Replayer(const Replayer&) = delete;
    Replayer& operator=(const Replayer&) = delete;

    // Shows the replay in viewer (borrowed, outlives run) at the pace it was
    // played, each frame with the replay's mark over it; the checkpoints still
    // compare the frames without it. Closing viewer or Escape stops the replay.
    // A caller that turns the loop itself (the page, one browser frame at a
    // time) paces it and may leave the mark to its own page.
    void watchIn(Window& viewer, bool paced = true, bool marked = true) {
        viewer_ = &viewer;
        paced_ = paced;
        marked_ = marked;
    }
    // Plays on after a divergence (said once) to the recording's end, for a
    // viewer that wants to see where the recorded input leads this game.
    void playToEnd() { playToEnd_ = true; }
    // Whether the viewer stopped the replay before its end.
    bool stopped() const { return stopped_; }

    // Runs the whole recording and writes what it found to report: the turns
    // and checkpoints, the end (exit code, tick, screen, score, pending score,
    // frame hash) and the stored table afterwards.
    Result run(std::ostream& report);

    // The same in steps, for a caller that owns the loop: begin (false when
    // the recording cannot be replayed here, said in report, which must
    // outlive the steps), then turn until it says the replay is over, then
    // end for the result.
    bool begin(std::ostream& report);
    bool turn();
    Result end();
    // The tick the turn ahead runs at, and the recording's start tick.
    uint32_t nextTick() const;
    uint32_t startTick() const { return log_.startTick; }
    // The game's readings now, during the steps.
    ReplayCheck current() const;

    // What the replay ended with, for callers that look closer.
    const ReplayCheck& finalCheck() const { return final_; }
    const std::string& finalTable() const { return finalTable_; }
    uint32_t turns() const { return turns_; }
    uint32_t checkpoints() const { return checkpoints_; }

private:
    struct Running;

    const ReplayLog& log_;
    std::string exePath_;
    ReplayCheck final_;
    std::string finalTable_;
    uint32_t turns_ = 0;
    uint32_t checkpoints_ = 0;
    Window* viewer_ = nullptr;
    bool paced_ = true;
    bool marked_ = true;
    bool playToEnd_ = false;
    bool stopped_ = false;
    std::unique_ptr<Running> running_;
};

// `vandrel --replay FILE`: reads FILE, replays it against the game at exePath,
// reports to out; the exit code is the Result.
int replayFile(const std::string& path, const std::string& exePath, std::ostream& out);
// `vandrel --watch FILE`: the same, shown in viewer at the recording's pace.
int watchFile(const std::string& path, const std::string& exePath, Window& viewer, std::ostream& out);

} // namespace vandrel
