// Start-up, message loop, window procedure and mode switches.
#include "app/Program.h"

#include "app/FrameLog.h"
#include "app/Game.h"
#include "app/PlayerControls.h"
#include "platform/Clock.h"
#include "platform/CloseSignals.h"
#include "platform/Window.h"
#include "sound/SoundSystem.h"

namespace vandrel {

Program::Program(Game& game, SoundSystem& sound, Window& window) : game(game), sound(sound), window(window) {}

bool Program::startUp() {
    sound.init();
    game.quickLoad();
    // From here on the set-up values are the archive's, or the defaults.
    const bool fullScreen = startFullScreen.value_or(game.setup().startFullScreen);
    if (fullScreen) window.setFullScreen(true);
    window.setClientSize(game.setup().screenWidth, game.setup().screenHeight);
    window.show();
    if (game.openDisplay(window, fullScreen)) {
        if (loadInFrames)
            game.beginFullLoad();
        else
            game.fullLoad();
        return true;
    }
    game.releaseAll();
    return false;
}

bool Program::step(int& exitCode) {
    // A termination signal closes the game as the window's close button does.
    if (takeCloseSignal()) window.post(msg::Close);
    sound.watchOutput(tickCount());
    if (controls) controls->apply(sound.audioDevice());
    window.pumpEvents();
    Message m;
    if (window.queue().take(m)) {
        if (m.message == msg::Quit) {
            exitCode = static_cast<int>(m.wParam);
            ended_ = true;
            return false;
        }
        windowProc(m);
        return true;
    }
    if (game.active()) {
        if (frameLog_) frameLog_->frame();
        game.frameTick();
        sleepMs(1);
    } else {
        window.waitEvents(250);
    }
    return true;
}

bool Program::stepFrame(int& exitCode) {
    for (;;) {
        window.pumpEvents();
        if (window.queue().empty()) {
            sound.watchOutput(tickCount());
            if (controls) controls->apply(sound.audioDevice());
            if (game.fullLoadPending()) {
                // As on the desktop, the pass does not wait for an active window.
                const uint32_t start = tickCount();
                while (game.continueFullLoad() && tickCount() - start < loadSliceMs) {}
            } else if (game.active()) {
                if (frameLog_) frameLog_->frame();
                game.frameTick();
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
    if (controls && controls->onMessage(m, game.enteringName(), tickCount())) return 0;
    switch (m.message) {
    case msg::Destroy:
        game.releaseAll();
        window.queue().postQuit(0);
        sound.shutdown();
        return 0;
    case msg::Activate:
        // Only minimising stops the frames; losing the focus does not.
        game.onActivate((m.wParam & activateMinimised) == 0);
        return 0;
    case msg::NcMouseMove:
        if (cursorHidden_) {
            while (window.showCursor(true) < 0) {}
            cursorHidden_ = false;
        }
        break;
    case msg::MouseMove:
        // The cross-hair replaces the system cursor over the client area.
        if (!cursorHidden_) {
            while (window.showCursor(false) >= 0) {}
            cursorHidden_ = true;
        }
        game.onMouseMove(pointParamX(m.lParam), pointParamY(m.lParam));
        break;
    case msg::LButtonDown:
    case msg::LButtonDblClk: game.onLeftClick(pointParamX(m.lParam), pointParamY(m.lParam)); break;
    case msg::RButtonDown: game.onRightClick(); break;
    case msg::KeyDown:
        if (game.onKeyDown(static_cast<int32_t>(m.wParam))) window.post(msg::Close);
        break;
    case msg::KeyUp: game.onKeyUp(static_cast<int32_t>(m.wParam)); break;
    case msg::Char: game.onChar(static_cast<int32_t>(m.wParam)); break;
    case msg::SysChar:
        if (m.wParam == 13) window.post(msg::SysCommand, game.fullScreen() ? sc::Restore : sc::Maximize, 0);
        break;
    case msg::SysCommand:
        if (m.wParam == sc::Maximize) {
            game.reloadMode(true);
            if (controls) controls->screenModeChosen(true);
        } else if (m.wParam == sc::Restore && game.fullScreen()) {
            game.reloadMode(false);
            if (controls) controls->screenModeChosen(false);
        }
        break;
    default: break;
    }
    return defaultProc(m);
}

int64_t Program::defaultProc(const Message& m) {
    // What the window system does on its own: a close request destroys the
    // window, which first hears of it as Destroy.
    if (m.message == msg::Close && !window.isDestroyed()) {
        windowProc(Message{msg::Destroy, 0, 0});
        window.destroy();
    }
    return 0;
}

} // namespace vandrel
