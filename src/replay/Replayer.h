// Plays a recorded game back headless: the same start tick and random state,
// the same high-score table in a private store, every message at the turn of
// the loop it was taken at, every turn at its tick. Each checkpoint and the end
// are compared with what the recording says.
#pragma once
#include "replay/ReplayLog.h"
#include "video/Window.h"

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

    Replayer(const ReplayLog& log, std::string exePath) : log_(log), exePath_(std::move(exePath)) {}

    // Shows the replay in viewer (borrowed, outlives run) at the pace it was
    // played, each frame with the replay's mark over it; the checkpoints still
    // compare the frames without it. Closing viewer or Escape stops the replay.
    void watchIn(Window& viewer) { viewer_ = &viewer; }
    // Whether the viewer stopped the replay before its end.
    bool stopped() const { return stopped_; }

    // Runs the whole recording and writes what it found to report: the turns
    // and checkpoints, the end (exit code, tick, screen, score, pending score,
    // frame hash) and the stored table afterwards.
    Result run(std::ostream& report);

    // What the replay ended with, for callers that look closer.
    const ReplayCheck& finalCheck() const { return final_; }
    const std::string& finalTable() const { return finalTable_; }
    uint32_t turns() const { return turns_; }
    uint32_t checkpoints() const { return checkpoints_; }

private:
    const ReplayLog& log_;
    std::string exePath_;
    ReplayCheck final_;
    std::string finalTable_;
    uint32_t turns_ = 0;
    uint32_t checkpoints_ = 0;
    Window* viewer_ = nullptr;
    bool stopped_ = false;
};

// `vandrel --replay FILE`: reads FILE, replays it against the game at exePath,
// reports to out; the exit code is the Result.
int replayFile(const std::string& path, const std::string& exePath, std::ostream& out);
// `vandrel --watch FILE`: the same, shown in viewer at the recording's pace.
int watchFile(const std::string& path, const std::string& exePath, Window& viewer, std::ostream& out);

} // namespace vandrel
