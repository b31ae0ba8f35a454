// The game's side of the page's own controls (page/controls.js): the keys and
// typed characters that the page's buttons, the bars beside the picture and
// the hidden name field send go into the game's window as its messages, and
// the page hears when the game starts and stops asking for a name, so that a
// phone shows its keyboard for just that long.
#pragma once

namespace vandrel {

class Game;
class Window;

class PageBridge {
public:
    // The window the page's keys and characters are posted to; null while
    // no game runs (the page's input is then dropped).
    static void attach(Window* window);
    // After every frame: tells the page when the name entry begins or ends,
    // and stores the table when the entry was left by leaving the screen;
    // and when a round starts or ends, and pauses or plays on, for the
    // page's pause button.
    void afterFrame(Game& game);

private:
    bool naming_ = false;
    bool inRound_ = false;
    bool paused_ = false;
};

} // namespace vandrel
