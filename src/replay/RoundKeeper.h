// Keeps every finished round without the player asking: the played game runs
// under a recorder writing into memory, and when a round ends, the recording
// so far (from the game's start to the high-score screen the round opened) is
// handed to a worker that writes it to the shelf, away from the frames.
//
// A kept round holds the whole session up to its end: a replay starts from a
// freshly made game, and the game a later round starts from is the one the
// rounds before it left, so those rounds are part of what it replays.
#pragma once
#include "app/Game.h"
#include "replay/RoundShelf.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <streambuf>
#include <string>
#include <thread>

namespace vandrel {

class GalleryChoice;

class FrameLog;
class Settings;
class SettingValues;
class Store;
class Window;

// A recording in memory that stops growing at its limit (and says it did): a
// session left running for days cannot eat the memory.
class CappedRecording : public std::streambuf {
public:
    static constexpr std::size_t defaultLimit = std::size_t{16} << 20;
    explicit CappedRecording(std::size_t limit = defaultLimit) : limit_(limit) {}
    const std::string& text() const { return text_; }
    bool full() const { return full_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;

private:
    std::string text_;
    std::size_t limit_;
    bool full_ = false;
};

class RoundKeeper {
public:
    // gallery names the rounds in the list.
    RoundKeeper(RoundShelf shelf, std::string gallery);
    // Waits for the rounds still being written.
    ~RoundKeeper();
    RoundKeeper(const RoundKeeper&) = delete;
    RoundKeeper& operator=(const RoundKeeper&) = delete;

    // After every turn of the loop: a round that has just ended (the game
    // went from a round to the high-score screen) is kept with the recording
    // as it stands; true when one was. A recording that hit its limit keeps
    // nothing more.
    bool afterTurn(GameState state, const CappedRecording& recording);
    // Waits until every round handed over is written.
    void waitIdle();
    // How many rounds were written.
    std::size_t kept() const;
    // The last round handed over, as it is written (the page makes its link).
    const std::string& lastRound() const { return lastRound_; }

private:
    void work();

    RoundShelf shelf_;
    std::string gallery_;
    std::string lastRound_;
    GameState lastState_ = GameState::Starting;
    bool toldFull_ = false;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<std::string> waiting_;
    bool writing_ = false;
    bool stopping_ = false;
    std::size_t kept_ = 0;
    std::thread worker_;
};

// The desktop's played game with its rounds kept on shelf: as GameHost's
// runToEnd, with the player's settings, under a recorder on the wall clock.
// galleries, when given, switch on the title: a recording replays on the
// gallery it started with only, so once the player switches, the session's
// later rounds are not kept. Returns the loop's exit code; none when the
// display does not open.
std::optional<int> playKeepingRounds(const std::string& exePath, Window& window, Store& store, Settings& settings,
                                     const SettingValues& commandLine, FrameLog* frameLog, const RoundShelf& shelf,
                                     GalleryChoice* galleries = nullptr);

} // namespace vandrel
