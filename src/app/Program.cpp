// Start-up, message loop, window procedure and mode switches.
#include "app/Program.h"

#include "app/FrameLog.h"
#include "app/GalleryChoice.h"
#include "app/Game.h"
#include "app/PlayerControls.h"
#include "base/Clock.h"
#include "sound/SoundSystem.h"
#include "system/CloseSignals.h"
#include "video/Window.h"

#include <iostream>

namespace vandrel {

Program::Program(Game& game, SoundSystem& sound, Window& window, const ProgramOptions& options)
    : game_(game), sound_(sound), window_(window), options_(options) {}

bool Program::startUp() {
    sound_.init();
    game_.quickLoad();
    // From here on the set-up values are the archive's, or the defaults.
    const bool fullScreen = options_.startFullScreen.value_or(game_.setup().startFullScreen);
    if (fullScreen) window_.setFullScreen(true);
    window_.setClientSize(game_.setup().screenWidth, game_.setup().screenHeight);
    window_.show();
    if (game_.openDisplay(window_, fullScreen)) {
        if (options_.loadInFrames)
            game_.beginFullLoad();
        else
            game_.fullLoad();
        return true;
    }
    game_.releaseAll();
    return false;
}

bool Program::step(int& exitCode) {
    // A termination signal closes the game as the window's close button does.
    if (takeCloseSignal()) window_.post(msg::Close);
    sound_.watchOutput(tickCount());
    if (options_.controls) options_.controls->apply(sound_.audioDevice());
    window_.pumpEvents();
    Message m;
    if (window_.queue().take(m)) {
        if (m.message == msg::Quit) {
            exitCode = static_cast<int>(m.wParam);
            ended_ = true;
            return false;
        }
        windowProc(m);
        return true;
    }
    if (game_.active()) {
        if (options_.frameLog) options_.frameLog->frame();
        game_.frameTick();
        sleepMs(1);
    } else {
        window_.waitEvents(250);
    }
    return true;
}

bool Program::stepFrame(int& exitCode) {
    for (;;) {
        window_.pumpEvents();
        if (window_.queue().empty()) {
            sound_.watchOutput(tickCount());
            if (options_.controls) options_.controls->apply(sound_.audioDevice());
            if (game_.fullLoadPending()) {
                // As on the desktop, the pass does not wait for an active window.
                const uint32_t start = tickCount();
                while (game_.continueFullLoad() && tickCount() - start < loadSliceMs) {}
            } else if (game_.active()) {
                if (options_.frameLog) options_.frameLog->frame();
                game_.frameTick();
            }
            return true;
        }
        // A message waits, so this turn handles it and neither draws nor sleeps.
        if (!step(exitCode)) return false;
    }
}

int Program::run() {
    int exitCode = 0;
    while (step(exitCode)) {}
    return exitCode;
}

int64_t Program::windowProc(const Message& m) {
    if (options_.controls && options_.controls->onMessage(m, game_.enteringName(), tickCount())) return 0;
    if (switchGallery(m)) return 0;
    switch (m.message) {
    case msg::Destroy:
        game_.releaseAll();
        window_.queue().postQuit(0);
        sound_.shutdown();
        return 0;
    case msg::Activate:
        // Only minimising stops the frames; losing the focus does not.
        game_.onActivate((m.wParam & activateMinimised) == 0);
        return 0;
    case msg::NcMouseMove:
        if (cursorHidden_) {
            while (window_.showCursor(true) < 0) {}
            cursorHidden_ = false;
        }
        break;
    case msg::MouseMove:
        // The cross-hair replaces the system cursor over the client area.
        if (!cursorHidden_) {
            while (window_.showCursor(false) >= 0) {}
            cursorHidden_ = true;
        }
        game_.onMouseMove(pointParamX(m.lParam), pointParamY(m.lParam));
        break;
    case msg::LButtonDown:
    case msg::LButtonDblClk: game_.onLeftClick(pointParamX(m.lParam), pointParamY(m.lParam)); break;
    case msg::RButtonDown: game_.onRightClick(); break;
    case msg::KeyDown:
        if (game_.onKeyDown(static_cast<int32_t>(m.wParam))) window_.post(msg::Close);
        break;
    case msg::KeyUp: game_.onKeyUp(static_cast<int32_t>(m.wParam)); break;
    case msg::Char: game_.onChar(static_cast<int32_t>(m.wParam)); break;
    case msg::SysChar:
        if (m.wParam == 13) window_.post(msg::SysCommand, game_.fullScreen() ? sc::Restore : sc::Maximize, 0);
        break;
    case msg::SysCommand:
        if (m.wParam == sc::Maximize) {
            game_.reloadMode(true);
            if (options_.controls) options_.controls->screenModeChosen(true);
        } else if (m.wParam == sc::Restore && game_.fullScreen()) {
            game_.reloadMode(false);
            if (options_.controls) options_.controls->screenModeChosen(false);
        }
        break;
    default: break;
    }
    return defaultProc(m);
}

bool Program::switchGallery(const Message& m) {
    GalleryChoice* galleries = options_.galleries;
    if (!galleries || galleries->count() < 2 || game_.state() != GameState::Title || game_.fullLoadPending())
        return false;
    const int step = GalleryChoice::stepOf(m);
    // The arrows' repeats switch nothing, and scroll nothing either.
    if (step == 0)
        return m.message == msg::KeyDown && (m.lParam & keyRepeated) != 0 &&
               (m.wParam == vk::Left || m.wParam == vk::Right);
    const auto dataPath = galleries->step(step, std::cerr);
    if (!dataPath) return true;
    game_.switchData(*dataPath, options_.loadInFrames);
    // A data set damaged inside leaves the game in Loading, where nothing
    // switches: the gallery before it is loaded again.
    if (!options_.loadInFrames && game_.state() != GameState::Title) {
        std::cerr << "vandrel: the gallery \"" << galleries->current().name
                  << "\" could not be loaded; the one before it is played again\n";
        if (const auto back = galleries->step(-step, std::cerr)) game_.switchData(*back);
    }
    return true;
}

int64_t Program::defaultProc(const Message& m) {
    // What the window system does on its own: a close request destroys the
    // window, which first hears of it as Destroy.
    if (m.message == msg::Close && !window_.isDestroyed()) {
        windowProc(Message{msg::Destroy, 0, 0});
        window_.destroy();
    }
    return 0;
}

} // namespace vandrel
