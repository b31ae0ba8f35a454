// The program around the Game: start-up in its fixed order, the message loop
// that runs a frame whenever no message waits, the window procedure that
// routes input to the Game, and the switches between window and full screen.
#pragma once
#include "input/Messages.h"

#include <cstdint>
#include <optional>

namespace vandrel {

class FrameLog;
class GalleryChoice;
class Game;
class PlayerControls;
class SoundSystem;
class Window;

// How a caller wants the program to run; the defaults are a test's.
struct ProgramOptions {
    // The screen mode asked for (command line, settings file, page); unset
    // leaves it to the set-up record.
    std::optional<bool> startFullScreen;
    // startUp() only sets the full loading pass up, and stepFrame() runs it:
    // a page whose script runs the whole pass in one go shows nothing of it.
    bool loadInFrames = false;
    // The player's sound keys, focus rule and kept screen mode; null (tests,
    // recordings, replays) plays exactly as the game does without them.
    PlayerControls* controls = nullptr;
    // The galleries a played game switches between on the title (null, or
    // a single one: nothing switches).
    GalleryChoice* galleries = nullptr;
    // Notes each frame's start (null: none); for measuring long runs.
    FrameLog* frameLog = nullptr;
};

class Program {
public:
    Program(Game& game, SoundSystem& sound, Window& window, const ProgramOptions& options = {});

    // Sound, set-up record, window mode and size, display, full load. False
    // when the display cannot be opened (everything is released then).
    bool startUp();
    // The message loop; returns the exit code that came with Quit.
    int run();
    // One turn of the loop: a message if one waits, else a frame (or a wait
    // while minimised). Returns false once Quit has been taken, with its code.
    bool step(int& exitCode);
    // One turn of a browser's frame: every message that waits, each as a turn
    // of the loop, then one frame. It never sleeps or waits (a minimised game
    // draws nothing and returns at once): the browser paces the frames and the
    // page must not freeze. While the full loading pass runs (loadInFrames),
    // the frame is its next steps, each with its progress frame, for up to
    // loadSliceMs. Returns false once Quit has been taken.
    bool stepFrame(int& exitCode);

    // Handles one window message.
    int64_t windowProc(const Message& m);

    bool cursorHidden() const { return cursorHidden_; }
    // Whether the loop has taken its Quit (the window is gone then).
    bool ended() const { return ended_; }

    // Loading steps start in one browser frame until this much time has
    // gone; a step that takes longer has the frame to itself.
    static constexpr uint32_t loadSliceMs = 12;

private:
    int64_t defaultProc(const Message& m);
    // The wheel, the arrows and the pad's shoulders on the title with more
    // than one gallery: true when m switched (or tried to) and is done with.
    bool switchGallery(const Message& m);

    Game& game_;
    SoundSystem& sound_;
    Window& window_;
    const ProgramOptions options_;
    bool cursorHidden_ = false;
    bool ended_ = false;
};

} // namespace vandrel
