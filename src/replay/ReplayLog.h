// A recorded game: what the player did, as the message loop saw it, and the
// game's own readings along the way, so a replay can prove it ends the same.
//
// The file is plain text, one record per line; '#' starts a comment line, blank
// lines are ignored. Numbers are decimal unless said otherwise.
//
//   vandrel-replay 1            first line: format and version
//   data HASH                   16 hex digits: FNV-1a 64 of the zip archive appended
//                               to the game that was recorded (replays need the
//                               same data set)
//   rand STATE                  the random generator's state before start-up
//   start TICK                  the clock when the game object was made; start-up
//                               runs at this tick
//   mode window|fullscreen      the screen mode asked for on the command line,
//                               which wins over the set-up record's (left out
//                               when none was asked for)
//   play NAME VALUE             a round option the game was recorded with, one to
//                               a line and only where it is not the default:
//                               speed PERCENT (1 to 100), length SECONDS (the
//                               round's, 1 to 86400), auto_reload 1, practice 1;
//                               a recording without them plays the rounds as the
//                               data set has them
//   store VALUE TYPE HEX        a value of the stored high-score table before the
//                               game started, the one the rounds' options put
//                               their scores in (VALUE "highscore" or "check", TYPE
//                               "sz" or "bin", HEX its bytes, "-" for none)
//   size W H N                  the window's client area from the Nth time the
//                               game asks for it in the turn before (or during
//                               start-up, before the first turn) on; 0 x 0 when
//                               the window could not tell
//   m NAME WPARAM LPARAM        a message from the window system, taken into the
//                               queue at the next step; NAME is a message name
//                               (mousemove, lbuttondown, keydown, char, ...) or a
//                               number like 0x0200; mouse messages write LPARAM
//                               as X,Y
//   s DELTA[xCOUNT]             COUNT turns of the message loop (1 if left out),
//                               each DELTA ms after the one before (the first
//                               turn after start-up counts from TICK of start)
//   c TICK STATE SCORE PENDING FRAME
//                               checkpoint after the turn before it: the turn's
//                               tick, the screen, the round's score, the score
//                               waiting on the high-score screen and the FNV-1a
//                               64 hash (16 hex digits) of the frame last shown
//   end CODE TICK STATE SCORE PENDING FRAME
//                               the loop ended with exit code CODE; the rest as
//                               for a checkpoint
//   final VALUE TYPE HEX        a value of the stored table after the game ended
//
// A recording cut short (the game was killed) has no end; its replay checks
// what there is.
#pragma once
#include "game/PlayOptions.h"
#include "input/Messages.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vandrel {

// What a checkpoint compares.
struct ReplayCheck {
    uint32_t tick = 0;
    int32_t state = 0;
    int32_t score = 0;
    int32_t pending = 0;
    uint64_t frameHash = 0;

    bool operator==(const ReplayCheck&) const = default;
};

// One stored value of the high-score table; absent when the store had none.
struct ReplayStoreValue {
    std::string name; // "highscore" or "check"
    bool binary = false;
    std::optional<std::vector<uint8_t>> bytes;

    bool operator==(const ReplayStoreValue&) const = default;
};

struct ReplayEvent {
    enum class Kind { Message, Size, Steps, Check };
    Kind kind = Kind::Steps;
    Message message;   // Message
    int32_t width = 0; // Size
    int32_t height = 0;
    uint32_t query = 0;
    uint32_t delta = 0; // Steps
    uint32_t count = 0;
    ReplayCheck check; // Check
};

struct ReplayEnd {
    int32_t exitCode = 0;
    ReplayCheck check;
};

// A whole recording in memory.
struct ReplayLog {
    uint64_t dataHash = 0;
    uint32_t randState = 1;
    uint32_t startTick = 0;
    std::optional<bool> startFullScreen;
    PlayOptions play;
    std::vector<ReplayStoreValue> storeBefore;
    std::vector<ReplayEvent> events;
    std::optional<ReplayEnd> end;
    std::vector<ReplayStoreValue> storeAfter;

    // Reads a recording; false with the line and the reason in error.
    bool read(std::istream& in, std::string& error);
};

// A hash as the 16 hex digits recordings write it with.
std::string hexText(uint64_t value);

} // namespace vandrel
