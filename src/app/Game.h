// The one application object: owns the display, the landscape, the figures,
// the session and the held keys; runs the two loading passes, the screens'
// state machine and the frame tick. The window procedure feeds it input.
#pragma once
#include "app/FullLoad.h"
#include "base/Rect.h"
#include "game/Backdrop.h"
#include "game/FigureManager.h"
#include "game/Session.h"
#include "gfx/Display.h"
#include "input/HeldKeyList.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace vandrel {

class DataSet;
class PlayerControls;
class Store;
class Window;

// The screens in the order a game passes them; the number is what the replay
// logs record.
enum class GameState : int32_t {
    Starting = 0, // nothing loaded; frames draw nothing
    Loading = 1,  // title screen with the progress bar
    Title = 2,    // waiting for the click that starts a round
    InPlay = 3,   // a round
    HighScores = 4,
    Credits = 5,
};

// What a recording checks at each checkpoint, besides the frame.
struct GameReadings {
    GameState state = GameState::Starting;
    int32_t score = 0;        // the running round's
    int32_t pendingScore = 0; // the ended round's, waiting for its name; 0 = none

    bool operator==(const GameReadings&) const = default;
};

class Game {
public:
    // The high-score table is kept in store, which outlives the game; the
    // loading passes read the data set at dataPath, the full one partly on a
    // second thread where the build has threads and loadOnSecondThread allows.
    // controls, when given, draws the player's notices and hint over every frame
    // shown outside a loading pass.
    Game(Store& store, std::string dataPath, bool loadOnSecondThread = true, PlayerControls* controls = nullptr);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Sounds and the set-up record from "stuff.x"; Loading on success.
    bool quickLoad();
    // Opens the display on window, at the set-up record's size: full screen
    // or in the window. False when it cannot be opened.
    bool openDisplay(Window& window, bool fullScreen);
    // Everything else, a frame with the progress bar after each step, then the
    // music; Title at the end. Always true: a failure leaves the game in Loading.
    bool fullLoad();
    // The same pass spread over the caller's frames, for a browser that must
    // get each of its frames back: beginFullLoad() sets it up on this thread
    // and draws nothing, then each continueFullLoad() runs one step and its
    // progress frame, or at the end the music and the last frame. It returns
    // false once the pass is over, however it ended: Title on success, Loading
    // after a failure, with the same frames and parts loaded as fullLoad().
    void beginFullLoad();
    bool continueFullLoad();
    bool fullLoadPending() const { return pass_ != nullptr; }
    // One frame of the current screen; false without a window or client area.
    bool frameTick();

    // The player's input, as the window procedure hands it over.
    // Minimising stops the frames (false); losing the focus does not.
    void onActivate(bool active);
    void onMouseMove(int32_t x, int32_t y);
    void onLeftClick(int32_t x, int32_t y);
    void onRightClick();
    // A key going down; true asks the caller to close the program (Escape on
    // a screen that leaves it).
    bool onKeyDown(int32_t key);
    void onKeyUp(int32_t key);
    // A character typed on the keyboard; only the high-score screen's name takes it.
    void onChar(int32_t c);
    // P (and the pad's Start, which its input turns into P) pauses a round
    // and plays it on: while it stands nothing moves, neither the clock nor
    // the figures, their effects or the music, and the shots and the scroll
    // keys do nothing. Escape still leaves the round. Elsewhere P does nothing.
    static constexpr int32_t pauseKey = 'P';
    bool paused() const { return paused_; }
    // A round pauses by itself when the window is minimised or the page
    // hidden, and waits for the player's key (a played game's setting).
    void setPauseWhenHidden(bool pause) { pauseWhenHidden_ = pause; }
    // The player cannot see the round (the page is hidden, or a phone is held
    // upright under the hint to turn it): it pauses as a minimised window's
    // does. A browser stops its frames while a page is hidden, so the page
    // says so the moment it happens, before the window's own event comes.
    void onHidden();
    // The player's choices for the rounds: game speed, length, practice and
    // auto-reload (see PlayOptions). Set before the first loading pass: they
    // choose which table the scores go to.
    void setPlayOptions(const PlayOptions& options);
    const PlayOptions& playOptions() const { return session_.playOptions(); }
    // How the cross-hair is drawn; the shots land on the pointer whatever it looks like.
    void setCursorStyle(const CursorStyle& style) { session_.setCursorStyle(style); }
    // Switches the window between full screen and a window: every picture,
    // sound and figure is let go, the display opens again in the new mode and
    // both loading passes run again.
    void reloadMode(bool toFullScreen);
    // Plays the data set at dataPath from now on: the table is stored, every
    // picture, sound and figure is let go and both loading passes run again
    // on it in the screen mode the game is in, ending on its title (with
    // inFrames, the full pass is only set up, as beginFullLoad does). Only
    // the title (or a failed loading pass's screen) switches; elsewhere
    // nothing happens and it returns false.
    bool switchData(std::string dataPath, bool inFrames = false);
    const std::string& dataPath() const { return dataPath_; }
    // Releases every picture, sound and figure and closes the display.
    void releaseAll();
    // Stores the high-score table; the program's last step before the game goes.
    bool saveScores() { return session_.saveScores(); }

    // What the game stands at.
    GameState state() const { return state_; }
    GameReadings readings() const;
    // A name is being typed into the high-score table, or is about to be (an
    // ended round's score waits for the table to open): every character is
    // the name's then.
    bool enteringName() const;
    // Whether frames run: false while the window is minimised.
    bool active() const { return active_; }
    bool fullScreen() const { return fullScreen_; }
    // The loading screen's bar, 0 to 100.
    int32_t loadProgress() const { return session_.loadProgress(); }
    // The landscape's left edge and the pointer, in pixels.
    int32_t scroll() const { return scroll_; }
    int32_t mouseX() const { return mouseX_; }
    int32_t mouseY() const { return mouseY_; }
    // The set-up values: the archive's after the first loading pass, else the defaults.
    const SetupRecord& setup() const { return session_.setup(); }
    // What is loaded and drawn, to be looked at.
    const Session& session() const { return session_; }
    const Backdrop& backdrop() const { return backdrop_; }
    const FigureManager& figures() const { return figures_; }
    const Display& display() const { return display_; }

private:
    // Tests set a scroll position or a screen up directly (tests/app/GameProbe.h).
    friend struct GameProbe;

    // Title or a round to the high-score screen; a finished round hands its score over.
    bool onEscape();
    // The data set, opened by the first loading pass and let go by the second.
    DataSet& openData();
    void playFrame(VideoSurface* target, Rect& clip);
    // Over an assisted table's screen: which table it is.
    void drawTableKind(VideoSurface* target, const Rect& clip);
    void enterHighScores(bool handOverScore);
    // A pause starts, or ends and every clock of the round moves on by its length.
    void pause();
    void resume();
    // The full pass: prepareFullLoad sets its steps up (throws when the data
    // set cannot be read), finishFullLoad plays the music and draws the last
    // frame, and endFullLoad lets the pass and the data set go, however it
    // ended.
    void prepareFullLoad(bool secondThread);
    void progressFrame(int64_t done);
    void finishFullLoad();
    void endFullLoad();
    // Ends a full pass still running between frames, then lets go of the
    // music, the landscape, the figures and the session's pictures and sounds.
    void releaseLoaded();

    // Members in construction order.
    bool fullScreen_ = false;
    Window* window_ = nullptr;
    bool active_ = false;
    Display display_;
    int32_t scroll_ = 0;
    Backdrop backdrop_;
    FigureManager figures_;
    Session session_;
    // The pointer; in the middle of the frame until the first pointer
    // message, so a pad or a finger starts from where nothing scrolls.
    int32_t mouseX_ = 0;
    int32_t mouseY_ = 0;
    bool pointerMoved_ = false;
    std::string dataPath_;
    HeldKeyList keys_;
    uint32_t lastScrollTick_ = 0;
    GameState state_ = GameState::Starting;
    bool paused_ = false;
    uint32_t pauseStart_ = 0;
    bool pauseWhenHidden_ = false;
    // The full pass reads and decodes on a second thread while this one draws
    // the progress frames (where the build has threads); tests turn it off to
    // compare the two.
    bool loadOnSecondThread_ = true;
    // Drawn over every frame shown outside a loading pass when set: the
    // player's notices and hint.
    PlayerControls* controls_ = nullptr;

    std::unique_ptr<DataSet> data_;
    // The uncompressed sizes of the seven entries, in the order the full pass reads them.
    FullLoad::EntrySizes entrySizes_{};
    // Set by a quick pass that read the set-up record: the set-up entry stands
    // open just past it, and entrySizes_ holds the sizes, for the full pass.
    bool setupEntryOpen_ = false;
    // The full pass while it runs; between frames in a browser.
    std::unique_ptr<FullLoad> pass_;
};

} // namespace vandrel
