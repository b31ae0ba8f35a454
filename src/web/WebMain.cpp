// The game in a web page. The browser owns the loop: every animation frame
// runs one turn of the game's (the messages that wait, then one frame, or
// during start-up the next steps of the loading pass), and nothing ever
// blocks the page. Before this starts, the page has put the data
// set, a plain zip, at /data/vandrel.zip and mounted the folder that keeps the
// high scores in the browser's IndexedDB at /store (see page/pre.js).
#include "PageBridge.h"
#include "WebRecording.h"
#include "backends/Backend.h"
#include "app/GameHost.h"
#include "app/PlayerControls.h"
#include "base/Clock.h"
#include "base/Presentation.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"
#include "system/Store.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <utility>

namespace {

using namespace vandrel;

constexpr const char* dataSet = "/data/vandrel.zip";
// The per-user store root becomes /store/vandrel, inside the IndexedDB folder,
// and so does the settings file's folder: /store/vandrel/vandrel.ini.
constexpr const char* storeHome = "/store";

struct RunningGame {
    std::unique_ptr<Store> store;
    std::unique_ptr<Backend> backend;
    // The player's settings and sound keys, before the game that uses them.
    Settings settings;
    std::unique_ptr<PlayerControls> controls;
    std::unique_ptr<GameHost> host;
    // The page has been told the game runs.
    bool told = false;
    // The page's own buttons and name field (page/controls.js).
    PageBridge bridge;
};

RunningGame* running = nullptr;

void tellPage(const char* event, int value, const std::string& text) {
    EM_ASM(
        {
            if (Module.onGameEvent) Module.onGameEvent(UTF8ToString($0), $1, UTF8ToString($2));
        },
        event, value, text.c_str());
}

void endGame(int exitCode) {
    emscripten_cancel_main_loop();
    RunningGame* ending = running;
    running = nullptr;
    PageBridge::attach(nullptr);
    // As the desktop's game ends: the table is stored, a row whose name was
    // left with Escape included, before the game is let go. A refused save
    // has been said on stderr; the page offers another game all the same.
    static_cast<void>(ending->host->end());
    ending->host.reset();
    ending->backend.reset();
    ending->store.reset();
    delete ending;
    // The page offers another game instead of leaving a dead canvas.
    tellPage("ended", exitCode, "");
}

void browserFrame() {
    if (!running) return;
    int exitCode = 0;
    const bool going = running->host->program().stepFrame(exitCode);
    // The page uncovers the canvas once it holds the first loading frame, so
    // the page's bar hands over to the game's without a black frame between.
    if (!std::exchange(running->told, true)) tellPage("started", 0, "");
    if (going)
        running->bridge.afterFrame(running->host->game());
    else
        endGame(exitCode);
}

} // namespace

extern "C" {

// The page's speaker button: the M key's switch, whatever the game shows (a
// name being typed included). Returns whether the sound is now off.
EMSCRIPTEN_KEEPALIVE int vandrel_page_mute() {
    if (!running) return 0;
    running->controls->sound().onChar('m', vandrel::tickCount());
    return running->controls->sound().levels().mute ? 1 : 0;
}

// A sound key (M, -, + or =) the page passed on, as the game's own keys act
// on it: at once, so that the speaker button shows the new state. Returns
// whether the sound is now off.
EMSCRIPTEN_KEEPALIVE int vandrel_page_sound_key(int c) {
    if (!running) return 0;
    running->controls->sound().onChar(c, vandrel::tickCount());
    return running->controls->sound().levels().mute ? 1 : 0;
}

// Whether the sound is off, for the button's look.
EMSCRIPTEN_KEEPALIVE int vandrel_page_muted() { return running && running->controls->sound().levels().mute ? 1 : 0; }
}

int main() {
    setenv("XDG_DATA_HOME", storeHome, 1);
    setenv("XDG_CONFIG_HOME", storeHome, 1);
    // The page's ?record: the same game, written down as it is played.
    if (WebRecording::requested()) return WebRecording::run(dataSet);

    // The canvas is the frame, 640 x 480; the page scales it, and the
    // browser's full screen is the page's to ask for.
    ScreenOptions screen;
    screen.windowScale = 1;
    std::string error;
    auto game = std::make_unique<RunningGame>();
    game->backend = Backend::create(BackendKind::Sdl, error, screen);
    if (!game->backend) {
        std::fprintf(stderr, "vandrel: the canvas could not be started: %s\n", error.c_str());
        tellPage("failed", 1, error);
        return 1;
    }
    game->store = standardStore();
    // The levels and mute; the screen mode is the page's, so the file's is
    // left alone, and the page's help line says how to play.
    game->settings.load(SettingsLocation::find("", "").file(), std::cerr);
    game->controls = std::make_unique<PlayerControls>(game->settings, false, false);
    game->backend->window().setPadTuning(game->settings.pads());
    // A page may enter full screen only on a click or key of the player's, so
    // the game starts in the page whatever its set-up record says. The
    // loading screen is seen filling with colour: the pass runs over the
    // browser's first frames instead of before the first one.
    game->host = std::make_unique<GameHost>(HostSetup(game->backend->window(), *game->store, dataSet)
                                                .startFullScreen(false)
                                                .loadInFrames()
                                                .playerControls(*game->controls));
    if (!game->host->program().startUp()) {
        tellPage("failed", 1, "the display could not be opened");
        return 1;
    }
    running = game.release();
    PageBridge::attach(&running->backend->window());
    // 0: at the browser's own frame rate (requestAnimationFrame). main returns;
    // the runtime stays up for the frames.
    emscripten_set_main_loop(browserFrame, 0, 0);
    return 0;
}
