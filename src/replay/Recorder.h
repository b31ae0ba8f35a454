// Records a game: runs the program around a fresh Game on a clock that holds
// still for each turn of the message loop, and writes every message, every
// turn's tick and regular checkpoints to a recording (see ReplayLog.h).
// The caller decides the ticks: the wall clock for a player, a script's own
// for a generated recording.
#pragma once
#include "app/GameHost.h"
#include "base/Clock.h"
#include "replay/RecordingWindow.h"
#include "replay/ReplayWriter.h"

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

namespace vandrel {

class Recorder {
public:
    // The game object is made here, at startTick; input comes from window,
    // whose own queue the window system (or a script) fills. The game keeps its
    // table in store, whose table is written into the recording before and after.
    // startFullScreen, when given, wins over the set-up record's start mode;
    // play are the rounds' options, written into the recording where they
    // are not the defaults, and with them the table their scores go to.
    // setUp, when given, adds to the host's set-up what the caller's game has
    // besides (the player's settings and frame log of a played game whose
    // rounds are kept).
    Recorder(Window& window, std::ostream& out, const std::string& exePath, uint32_t startTick, Store& store,
             std::optional<bool> startFullScreen = std::nullopt, const PlayOptions& play = {},
             const std::function<void(HostSetup&)>& setUp = {});
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Start-up as the program does it; false when the display cannot open.
    bool startUp();
    // After a start-up that leaves the loading pass to the frames (the
    // page's), runs its next steps for up to sliceMs of wall time. The game's
    // clock stays at the start tick meanwhile, as it does while a replay loads
    // in one go, so the recording replays the same. True while steps are left.
    bool continueLoad(uint32_t sliceMs);
    // One turn of the message loop at tick. False once the loop has ended.
    bool step(uint32_t tick);
    // How long the turn asked to sleep (the loop's 1 ms after a frame).
    uint32_t sleptMs() const { return slept_; }
    // Ends the game (if the loop has not), lets it save its table, writes the
    // end of the recording. Returns the loop's exit code.
    int finish();

    Game& game() { return host_->game(); }
    GameHost& host() { return *host_; }
    Program& program() { return host_->program(); }
    // The player's controls when the set-up gave the player's settings.
    PlayerControls* controls() { return host_->controls(); }
    RecordingWindow& window() { return recordingWindow_; }
    // Writes a checkpoint for the turn just run.
    void checkpoint();

private:
    ReplayCheck currentCheck() const;

    std::ostream& out_;
    Store& store_;
    std::string exePath_;
    std::string tableName_;
    ManualClock clock_;
    ReplayWriter writer_;
    RecordingWindow recordingWindow_;
    std::optional<GameHost> host_;
    uint32_t stepTick_ = 0;
    uint32_t slept_ = 0;
    bool running_ = true;
    bool finished_ = false;
    int exitCode_ = 0;
    ReplayCheck lastCheck_;
    bool haveCheck_ = false;
};

// `vandrel --record FILE`: the player's game on window, written to FILE as it
// runs, the clock read once per turn of the loop. Returns the game's exit code
// (1 when FILE cannot be written or the display does not open).
int recordFile(const std::string& path, const std::string& exePath, Window& window, Store& store,
               std::optional<bool> startFullScreen = std::nullopt, const PlayOptions& play = {});

// The name of the table the rounds played with play keep their scores in,
// in the data set at exePath; empty when it has none or cannot be read.
std::string recordedTableName(const std::string& exePath, const PlayOptions& play);

// The high-score table stored under tableName as it stands now, both values
// ("highscore", "check"); empty when the name is not usable.
std::vector<ReplayStoreValue> readStoredTable(const Store& store, const std::string& tableName);

// What a checkpoint at tick holds, for the recorder and the replayer alike: the
// game's readings and the fingerprint of the frame last shown.
ReplayCheck checkOf(uint32_t tick, const Game& game, const ShownFrame& frame);

} // namespace vandrel
