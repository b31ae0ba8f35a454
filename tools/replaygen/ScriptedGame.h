// A game played by a script on the headless platform and recorded as it goes:
// the script posts what a player's mouse and keyboard would deliver, in the
// form the real window delivers it, and the clock moves by a fixed frame time.
#pragma once
#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "replay/Recorder.h"

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

namespace vandrel {

class ScriptedGame {
public:
    // Records into path; each frame frameMs after the one before. The table is
    // kept in store.
    ScriptedGame(const std::string& path, const std::string& exePath, uint32_t frameMs, Store& store);
    ~ScriptedGame();

    bool startUp();
    // Turns of the loop until ms have passed (messages first, then frames).
    void run(uint32_t ms);
    // Runs until done() holds or maxMs have passed; false on timeout.
    bool runUntil(const std::function<bool()>& done, uint32_t maxMs);
    // Runs turns until the loop ends; false if it does not within maxMs.
    bool runToEnd(uint32_t maxMs);
    bool ended() const { return ended_; }
    int finish() { return recorder_.finish(); }

    // Input, as the window system delivers it.
    void moveTo(int32_t x, int32_t y);
    void click(int32_t x, int32_t y);
    void rightClick();
    void keyDown(uint32_t vkCode);
    void keyUp(uint32_t vkCode);
    void press(uint32_t vkCode);        // down, its control character, up
    void type(const std::string& text); // letters and digits
    void altEnter();

    // A point on a figure that nothing in front hides, as last drawn; false
    // when none is in view.
    bool findTarget(int32_t& x, int32_t& y);
    // A point on the screen where a shot hits nothing.
    bool findMiss(int32_t& x, int32_t& y);

    Game& game() { return recorder_.game(); }
    uint32_t tick() const { return tick_; }

private:
    bool turn();

    NullAudio audio_;
    ScopedAudioOutput output_{audio_};
    NullWindow window_;
    std::ofstream file_;
    uint32_t tick_;
    uint32_t frameMs_;
    Recorder recorder_;
    bool ended_ = false;
};

} // namespace vandrel
