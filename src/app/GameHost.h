// The game as a program runs it, put together in one place: the Game on its
// store and data set, its sound system, and the Program that runs both on a
// window. The entry points, the recorder and the replayer, the tests, the
// benchmarks and the soak all start the game here and say only what differs
// between them: the window (and with it the backend), the store, the sound
// output of a headless run and the data set. A clock of their own, where they
// want one, is theirs to install before the host is made.
#pragma once
#include "app/Game.h"
#include "app/PlayerControls.h"
#include "app/Program.h"
#include "audio/AudioOutput.h"
#include "config/SettingValues.h"
#include "sound/SoundSystem.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace vandrel {

class FrameLog;
class GalleryChoice;
class Settings;
class Store;
class Window;

// What a caller gives the game: the window, the store and the data set, and
// where it differs from the entry point's game, a sound output, a start mode
// or a way of loading. Each setter returns the set-up, to be chained.
class HostSetup {
public:
    // The store keeps the high-score table and outlives the host; dataPath is
    // the executable with the data set behind it, or a plain zip of it.
    HostSetup(Window& window, Store& store, std::string dataPath)
        : window_(window), store_(store), dataPath_(std::move(dataPath)) {}

    // Becomes the process's sound output while the host lives; without one
    // the output installed (a backend's) stays.
    HostSetup& audio(AudioOutput& output) {
        audio_ = &output;
        return *this;
    }
    // When given, wins over the set-up record's start mode.
    HostSetup& startFullScreen(std::optional<bool> fullScreen) {
        startFullScreen_ = fullScreen;
        return *this;
    }
    // Start-up only sets the full loading pass up; Program::stepFrame runs it.
    HostSetup& loadInFrames(bool inFrames = true) {
        loadInFrames_ = inFrames;
        return *this;
    }
    // A played game: the player's settings (borrowed, outlive the host) and
    // what the command line says over them. The host makes the player's
    // controls from them (sound keys and levels, focus rule, the screen mode
    // Alt+Enter keeps, the first start's hint when hint is on, in the
    // system's language), tunes the window's pads, gives the game the
    // cross-hair's look, the pause of a hidden window and the rounds'
    // options and, unless startFullScreen says otherwise, starts in the mode
    // the command line or the file asks for, else the set-up record's.
    // Tests, recordings and replays have none.
    HostSetup& player(Settings& settings, const SettingValues& commandLine = {}, bool hint = true) {
        settings_ = &settings;
        commandLine_ = commandLine;
        hint_ = hint;
        return *this;
    }
    // The rounds' options (speed, length, practice, auto-reload), for a
    // recording or its replay; a played game takes the player's settings'.
    HostSetup& play(const PlayOptions& options) {
        play_ = options;
        return *this;
    }
    // With player(): the galleries the title switches between, their name
    // and place drawn over it (borrowed, outlives the host). The game starts
    // on the data set given above, which is the chosen gallery's.
    HostSetup& galleries(GalleryChoice* choice) {
        galleries_ = choice;
        return *this;
    }
    // Notes each frame's start in log (borrowed, outlives the host).
    HostSetup& frameLog(FrameLog* log) {
        frameLog_ = log;
        return *this;
    }
    // Whether the full pass may read on a second thread (see Game).
    HostSetup& loadOnSecondThread(bool secondThread) {
        loadOnSecondThread_ = secondThread;
        return *this;
    }

private:
    friend class GameHost;
    Window& window_;
    Store& store_;
    std::string dataPath_;
    AudioOutput* audio_ = nullptr;
    Settings* settings_ = nullptr;
    SettingValues commandLine_;
    bool hint_ = true;
    FrameLog* frameLog_ = nullptr;
    GalleryChoice* galleries_ = nullptr;
    std::optional<bool> startFullScreen_;
    std::optional<PlayOptions> play_;
    bool loadInFrames_ = false;
    bool loadOnSecondThread_ = true;
};

// The rounds' options the settings choose: the game speed, the round's
// length, practice and auto-reload, each at the game's default when open.
PlayOptions playOptionsOf(const SettingValues& values);

class GameHost {
public:
    explicit GameHost(const HostSetup& setup);
    // Lets the program, the sound system and the game go, in that order,
    // without saving the table (end() saves it).
    ~GameHost();
    GameHost(const GameHost&) = delete;
    GameHost& operator=(const GameHost&) = delete;

    Game& game() { return *game_; }
    const Game& game() const { return *game_; }
    Program& program() { return *program_; }
    SoundSystem& sound() { return *sound_; }
    // The player's controls of a played game; null without settings.
    PlayerControls* controls() { return controls_.get(); }

    // The desktop's run after a successful start-up: the message loop to its
    // Quit, then end(). The table is kept also when the process is ended by
    // exit() from inside the loop (the X library does so when the X server
    // goes away). Returns the loop's exit code.
    int runToEnd();
    // While on, the table is kept also when the process is ended by exit()
    // from inside the loop; for a caller that turns the loop itself.
    void keepTableOnExit(bool keep);

    // The player's settings changed while the game runs (an options panel
    // wrote them): the cross-hair's look, the pause of a hidden window, the
    // rumble and the touch layout take the new values now; the rest, read
    // once at the start, at the next one. Nothing without settings.
    void settingsChanged();

    // The program's last step: a game whose loop has not taken its Quit (cut
    // short, or its start-up failed) is let go as its window's Destroy would
    // let it go, then the high-score table is stored and the game, its sound
    // system and the program are let go. False when the store refused the
    // table. Nothing but the destructor may follow.
    bool end();

private:
    // What the settings decide that may change while the game runs.
    void applyChoices(const SettingValues& chosen);

    std::optional<ScopedAudioOutput> output_;
    Window* window_ = nullptr;
    Settings* settings_ = nullptr;
    SettingValues commandLine_;
    // Outlives the program that hands it the messages.
    std::unique_ptr<PlayerControls> controls_;
    // The game first, its sound system second, so the sound goes first at exit.
    std::unique_ptr<Game> game_;
    std::unique_ptr<SoundSystem> sound_;
    std::unique_ptr<Program> program_;
};

} // namespace vandrel
