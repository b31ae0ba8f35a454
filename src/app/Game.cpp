// The game object: loading passes over the archive behind the executable,
// the screens' state machine, the frame tick and the input handlers.
#include "app/Game.h"

#include "app/FullLoad.h"
#include "app/OverlayText.h"
#include "app/PlayerControls.h"
#include "base/Clock.h"
#include "base/LoadError.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "input/Messages.h"
#include "video/Window.h"

#include <exception>
#include <utility>

namespace vandrel {

Game::Game(Store& store, std::string dataPath, bool loadOnSecondThread, PlayerControls* controls)
    : session_(store), dataPath_(std::move(dataPath)), lastScrollTick_(tickCount()),
      loadOnSecondThread_(loadOnSecondThread), controls_(controls) {}

Game::~Game() = default;

DataSet& Game::openData() {
    if (!data_) data_ = std::make_unique<DataSet>(dataPath_);
    return *data_;
}

namespace {

// Runs part of a loading pass; false when the data set could not be read
// (a damaged archive throws LoadError, a failed allocation std::bad_alloc).
template <typename Part>
bool readGuarded(Part part) {
    try {
        part();
        return true;
    } catch (const LoadError&) {
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

bool Game::quickLoad() {
    setupEntryOpen_ = false;
    const bool opened = readGuarded([this] {
        DataSet& data = openData();
        // The full pass reads on in the set-up entry from where this one
        // stops, rather than inflating the sounds again to skip them; the
        // sizes its progress comes from are taken first, as each look-up
        // closes the open entry.
        entrySizes_ = FullLoad::readEntrySizes(data);
        const bool read = session_.loadSetup(&data.openEntry(entryName::setup));
        // Sounds that cannot be read stay silent and a damaged set-up record
        // leaves its defaults; the game still starts.
        if (!read) FullLoad::reportDamaged("set-up entry");
        setupEntryOpen_ = read && !session_.screensBeforeSetup();
        if (!setupEntryOpen_) data.reader().closeEntry();
    });
    if (!opened) return false;
    state_ = GameState::Loading;
    return true;
}

void Game::prepareFullLoad(bool secondThread) {
    DataSet& data = openData();
    // Straight after a quick pass the set-up entry stands open just past
    // its record, with the sizes taken.
    const bool readOn = std::exchange(setupEntryOpen_, false);
    if (!readOn) entrySizes_ = FullLoad::readEntrySizes(data);
    pass_ = std::make_unique<FullLoad>(data, dataPath_, entrySizes_, readOn, secondThread,
                                       FullLoad::Parts{session_, backdrop_, figures_, display_.device()});
}

// Only the title's two pictures, loaded by the first step, are drawn during
// the pass, and only by the caller's thread.
void Game::progressFrame(int64_t done) {
    session_.showLoadProgress(FullLoad::percent(done, pass_->total()));
    frameTick();
}

void Game::finishFullLoad() {
    session_.playMusic();
    session_.showLoadProgress(100);
    frameTick();
    state_ = GameState::Title;
}

void Game::endFullLoad() {
    pass_.reset();
    data_.reset();
}

bool Game::fullLoad() {
    // The loading is over however this pass ends: the data set is let go.
    struct End {
        Game& game;
        ~End() { game.endFullLoad(); }
    } end{*this};
    // A failure leaves the game in Loading with what was read so far.
    readGuarded([this] {
        prepareFullLoad(loadOnSecondThread_);
        pass_->run([this](int64_t done) { progressFrame(done); });
        finishFullLoad();
    });
    return true;
}

void Game::beginFullLoad() {
    // On this thread only: the steps run between the caller's frames. Without
    // a data set the pass is over before its first step, as in fullLoad().
    if (!readGuarded([this] { prepareFullLoad(false); })) endFullLoad();
}

bool Game::continueFullLoad() {
    if (!pass_) return false;
    bool more = false;
    // A failed step ends the pass in Loading, as in fullLoad().
    readGuarded([this, &more] {
        more = pass_->runNext([this](int64_t done) { progressFrame(done); });
        if (!more) finishFullLoad();
    });
    if (more) return true;
    endFullLoad();
    return false;
}

bool Game::frameTick() {
    if (!window_) return false;

    // A round stopped by reloadMode's loading passes stands paused no more.
    if (paused_ && state_ != GameState::InPlay) resume();
    if (KeyHold* held = keys_.next()) {
        // What a scroll key was held for in a pause is let go unscrolled.
        const uint32_t n = paused_ ? 0 : HeldKeyList::consume(*held, tickCount());
        if (held->key == static_cast<int32_t>(vk::Left))
            scroll_ = static_cast<int32_t>(static_cast<uint32_t>(scroll_) - n);
        if (held->key == static_cast<int32_t>(vk::Right))
            scroll_ = static_cast<int32_t>(static_cast<uint32_t>(scroll_) + n);
    }

    session_.feedMusic();

    Rect client;
    if (!window_->clientRect(client)) return false;
    display_.fitBackBuffer(client);

    if (state_ == GameState::InPlay && session_.roundOver()) enterHighScores(true);
    if (state_ == GameState::HighScores && session_.takeHighScoresDone()) state_ = GameState::Title;
    // The input devices hear what the screen asks of them: a name to type (and
    // whether it has room left), a magazine to tap, a hit or an empty
    // magazine to feel.
    window_->setTextEntry(enteringName());
    window_->setTextEntryFull(enteringName() && session_.nameFull());
    window_->setMagazineArea(state_ == GameState::InPlay ? session_.magazineArea() : Rect{});
    window_->setRoundShown(state_ == GameState::InPlay ? RoundShown{true, session_.score(), session_.ammo()}
                                                       : RoundShown{});

    VideoSurface* target = display_.backBuffer();
    Rect clip = client;
    switch (state_) {
    case GameState::Credits: session_.drawCredits(target, clip); break;
    case GameState::HighScores:
        session_.drawHighScores(target, clip);
        drawTableKind(target, clip);
        break;
    case GameState::Loading:
    case GameState::Title: session_.drawTitle(target, clip, true); break;
    case GameState::InPlay:
        // A paused round shows its last frame again, cross-hair and all.
        if (!paused_) playFrame(target, clip);
        break;
    default: break;
    }
    if (state_ == GameState::Title || (state_ == GameState::InPlay && !paused_))
        session_.drawCursor(target, clip, mouseX_, mouseY_, display_.device());
    // The player's notices and hint go over the picture on its way to the
    // screen, never into the back buffer the high-score wipe starts from.
    // While a loading pass runs only the title's pictures are drawn: the
    // small font is being read, on the second thread where there is one.
    if (controls_ && !pass_) {
        const uint32_t now = tickCount();
        display_.present(0, 0, [this, now](VideoSurface* shown, const Rect& shownClip) {
            const ScreenNow screen{state_, paused_, enteringName(),
                                   window_ ? window_->lastDevice() : InputDevice::Mouse};
            controls_->drawOver(screen, shown, shownClip, session_.smallFont(), now);
        });
    } else {
        display_.present(0, 0);
    }
    return true;
}

void Game::playFrame(VideoSurface* target, Rect& clip) {
    const uint32_t now = tickCount();
    const int32_t c = (mouseX_ - session_.setup().screenWidth / 2) / 100;
    // Signed 32-bit arithmetic, product first; the wrap is made explicit so a
    // very long pause before the first play frame cannot overflow.
    const uint32_t elapsed = now - lastScrollTick_;
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(c * c * c) * elapsed);
    scroll_ += product / 20;
    lastScrollTick_ = tickCount();

    if (scroll_ < 0) scroll_ = 0;
    if (scroll_ > backdrop_.maxLayerWidth() - session_.setup().screenWidth)
        scroll_ = backdrop_.maxLayerWidth() - session_.setup().screenWidth;

    const int32_t widest = backdrop_.maxLayerWidth();
    const uint32_t t = figures_.playTime(tickCount());
    for (int32_t layer = 0; layer < FigureManager::layerCount; ++layer) {
        const float f = backdrop_.drawLayer(target, clip, scroll_, layer, session_.setup().screenWidth,
                                            session_.setup().screenHeight);
        figures_.updateLayer(layer, t, f, scroll_, target, &clip, widest, session_.setup().screenWidth,
                             &session_.largeFont());
    }
    session_.drawHud(target, clip);
}

void Game::drawTableKind(VideoSurface* target, const Rect& clip) {
    // The standard table's screen stays as it always was.
    if (session_.tableKind() == TableKind::Standard) return;
    Font& font = session_.smallFont();
    const int32_t top = clip.bottom - OverlayText::boxHeight(font, 1) - 4;
    OverlayText::drawBox(target, clip, font, top, {"Tabelle mit Hilfen"});
}

void Game::setPlayOptions(const PlayOptions& options) {
    session_.setPlayOptions(options);
    session_.setCursorStyle(options.cursor);
    figures_.setSpeed(options.speedPercent);
}

void Game::enterHighScores(bool handOverScore) {
    display_.settleFlipChain();
    // The cross-hair's last target must still be the back buffer we draw into;
    // a window that was resized since has a new one.
    session_.openHighScores(display_.backBuffer());
    if (handOverScore) session_.handOverScore();
    state_ = GameState::HighScores;
}

GameReadings Game::readings() const { return GameReadings{state_, session_.score(), session_.pendingScore()}; }

bool Game::openDisplay(Window& window, bool fullScreen) {
    window_ = &window;
    fullScreen_ = fullScreen;
    if (!pointerMoved_) {
        mouseX_ = session_.setup().screenWidth / 2;
        mouseY_ = session_.setup().screenHeight / 2;
    }
    return display_.open(&window, fullScreen, session_.setup().screenWidth, session_.setup().screenHeight);
}

void Game::onActivate(bool active) {
    // Back from a stop, the mouse scrolls by the time since now, not since
    // the last frame before the stop.
    if (active && !active_ && !paused_) lastScrollTick_ = tickCount();
    if (!active) onHidden();
    active_ = active;
}

void Game::onHidden() {
    if (pauseWhenHidden_ && state_ == GameState::InPlay && !paused_) pause();
}

bool Game::onKeyDown(int32_t key) {
    if (key == pauseKey && state_ == GameState::InPlay) {
        // Not a held key: the scroll keys' turns go on as without a pause.
        if (paused_)
            resume();
        else
            pause();
        return false;
    }
    keys_.keyDown(key);
    return key == static_cast<int32_t>(vk::Escape) && onEscape();
}

void Game::pause() {
    paused_ = true;
    pauseStart_ = tickCount();
    session_.pauseMusic();
    // In full screen every buffer of the chain shows the frame the pause keeps.
    display_.settleFlipChain();
}

void Game::resume() {
    const uint32_t now = tickCount();
    const uint32_t pausedFor = now - pauseStart_;
    paused_ = false;
    session_.shiftRoundTime(pausedFor);
    // The figures' clock ran on at the game speed's pace through the pause.
    figures_.shiftTime(figures_.playTime(now) - figures_.playTime(pauseStart_));
    lastScrollTick_ += pausedFor;
    session_.resumeMusic();
}

void Game::onKeyUp(int32_t key) { keys_.keyUp(key); }

void Game::onMouseMove(int32_t x, int32_t y) {
    mouseX_ = x;
    mouseY_ = y;
    pointerMoved_ = true;
}

void Game::onLeftClick(int32_t x, int32_t y) {
    switch (state_) {
    case GameState::Title:
        session_.leaveTitle();
        state_ = GameState::InPlay;
        // However long the title stood, the round's first frame scrolls by
        // one frame's time.
        lastScrollTick_ = tickCount();
        session_.startRound();
        figures_.startRound();
        break;
    case GameState::InPlay:
        if (!paused_) figures_.shoot(x, y, backdrop_.hitLayer(x, y), session_);
        break;
    case GameState::HighScores: session_.typeOnHighScores(static_cast<int32_t>(vk::Return)); break;
    case GameState::Credits:
        if (window_) window_->post(msg::Close);
        break;
    default: break;
    }
}

void Game::onRightClick() {
    if (paused_) return;
    if (session_.reload()) session_.playReload();
}

bool Game::onEscape() {
    switch (state_) {
    case GameState::Title:
    case GameState::InPlay:
        if (paused_) resume();
        enterHighScores(false);
        return false;
    case GameState::HighScores: state_ = GameState::Credits; return false;
    default: return true;
    }
}

bool Game::enteringName() const { return state_ == GameState::HighScores && session_.awaitsName(); }

void Game::onChar(int32_t c) {
    if (state_ == GameState::HighScores) session_.typeOnHighScores(c);
}

void Game::releaseLoaded() {
    // A pass still running between frames goes first: its steps load into
    // what goes here.
    endFullLoad();
    backdrop_.clear();
    figures_.clear();
    session_.clear();
}

void Game::reloadMode(bool toFullScreen) {
    session_.stopMusic();
    window_->setFullScreen(toFullScreen);
    releaseLoaded();
    display_.close();
    // Back in a window the game opens at its own size; full screen takes the set-up's.
    if (toFullScreen)
        display_.open(window_, true, session_.setup().screenWidth, session_.setup().screenHeight);
    else
        display_.open(window_, false, 640, 480);
    quickLoad();
    fullLoad();
    fullScreen_ = toFullScreen;
}

bool Game::switchData(std::string dataPath, bool inFrames) {
    // A round, a name being typed and a loading pass keep their gallery; a
    // pass that failed (Loading, and no pass) may be left for another.
    if ((state_ != GameState::Title && state_ != GameState::Loading) || pass_ || !window_) return false;
    // Stored under the old table's name while it is still the one loaded (a
    // failed save has been said on stderr; the switch goes on).
    static_cast<void>(session_.saveScores());
    const int32_t width = session_.setup().screenWidth;
    const int32_t height = session_.setup().screenHeight;
    session_.stopMusic();
    releaseLoaded();
    data_.reset();
    setupEntryOpen_ = false;
    dataPath_ = std::move(dataPath);
    session_.startTableOver();
    quickLoad();
    // Full screen shows the set-up's size; a gallery of another size opens it anew.
    if (fullScreen_ && (session_.setup().screenWidth != width || session_.setup().screenHeight != height)) {
        display_.close();
        display_.open(window_, true, session_.setup().screenWidth, session_.setup().screenHeight);
    }
    if (inFrames)
        beginFullLoad();
    else
        fullLoad();
    return true;
}

void Game::releaseAll() {
    session_.stopMusic();
    releaseLoaded();
    display_.close();
    keys_.clear();
    data_.reset();
    setupEntryOpen_ = false;
}

} // namespace vandrel
