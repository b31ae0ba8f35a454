// The game in a web page. The browser owns the loop: every animation frame runs
// one turn of the game's (the waiting messages, then one frame or the next
// loading steps), and nothing blocks the page. The page has put the data set at
// /data/vandrel.zip and mounted the IndexedDB folder at /store (page/pre.js).
#include "PageGame.h"
#include "PageReplay.h"
#include "WebRecording.h"
#include "base/Clock.h"
#include "config/SettingsTable.h"

#include <emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>

namespace {

constexpr const char* dataSet = "/data/vandrel.zip";
// The per-user store root becomes /store/vandrel, inside the IndexedDB folder,
// and so does the settings file's folder: /store/vandrel/vandrel.ini.
constexpr const char* storeHome = "/store";

using vandrel::PageGame;
PageGame* running = nullptr;
// The page has been told the game runs.
bool told = false;

void browserFrame() {
    if (!running) return;
    int exitCode = 0;
    const bool going = running->frame(exitCode);
    // The page uncovers the canvas once it holds the first loading frame, so
    // the page's bar hands over to the game's without a black frame between.
    if (!std::exchange(told, true)) PageGame::tellPage("started", 0, "");
    if (going) return;
    emscripten_cancel_main_loop();
    delete std::exchange(running, nullptr);
    // The page offers another game instead of leaving a dead canvas.
    PageGame::tellPage("ended", exitCode, "");
}

} // namespace

extern "C" {

// Whether the sound is off, for the page's speaker button's look.
EMSCRIPTEN_KEEPALIVE int vandrel_page_muted() { return running && running->controls().sound().levels().mute ? 1 : 0; }

// A sound key (M, -, + or =) the page passed on, acting at once so that the
// speaker button shows the new state. Returns whether the sound is now off.
EMSCRIPTEN_KEEPALIVE int vandrel_page_sound_key(int c) {
    if (running) running->controls().sound().onChar(c, vandrel::tickCount());
    return vandrel_page_muted();
}
// The speaker button: the M key's switch, whatever the game shows.
EMSCRIPTEN_KEEPALIVE int vandrel_page_mute() { return vandrel_page_sound_key('m'); }

// The options panel: a setting as the file says it ("" when left to the
// game, or no game runs), and the player's choice of one; 1 when it was
// taken and written.
EMSCRIPTEN_KEEPALIVE const char* vandrel_page_option(const char* name) {
    static std::string value;
    value = running && name ? running->option(name) : std::string();
    return value.c_str();
}
// The values a setting takes, as the file writes them, separated by '|':
// yes and no, or a choice's words; "" for a number (the panel offers none)
// or a name the table does not have.
EMSCRIPTEN_KEEPALIVE const char* vandrel_page_option_values(const char* name) {
    using namespace vandrel;
    static std::string words;
    words.clear();
    for (const Option& o : settingsTable) {
        if (!name || o.name != name) continue;
        if (o.kind == OptionKind::Switch) words = "yes|no";
        if (o.kind != OptionKind::Choice) break;
        for (const std::string_view word : o.words) {
            if (word.empty()) break;
            if (!words.empty()) words += '|';
            words += word;
        }
    }
    return words.c_str();
}
EMSCRIPTEN_KEEPALIVE int vandrel_page_choose(const char* name, const char* value) {
    return running && name && value && running->choose(name, value) ? 1 : 0;
}

// The page went out of sight, or the phone was turned upright.
EMSCRIPTEN_KEEPALIVE void vandrel_page_hidden() {
    if (running) running->hidden();
}
}

int main() {
    setenv("XDG_DATA_HOME", storeHome, 1);
    setenv("XDG_CONFIG_HOME", storeHome, 1);
    // A shared round the page was opened with: replayed, not played.
    if (vandrel::PageReplay::requested()) return vandrel::PageReplay::run(dataSet);
    // The page's ?record: the same game, written down as it is played.
    if (vandrel::WebRecording::requested()) return vandrel::WebRecording::run(dataSet);
    std::string error;
    running = PageGame::start(dataSet, error).release();
    if (!running) {
        std::fprintf(stderr, "vandrel: the game could not start on the canvas: %s\n", error.c_str());
        PageGame::tellPage("failed", 1, error);
        return 1;
    }
    // 0: at the browser's own frame rate (requestAnimationFrame). main returns;
    // the runtime stays up for the frames.
    emscripten_set_main_loop(browserFrame, 0, 0);
    return 0;
}
