// The game object: loading passes over the archive behind the executable,
// the screens' state machine, the frame tick and the input handlers.
#include "app/Game.h"

#include "app/LoadingSteps.h"
#include "app/PlayerControls.h"
#include "data/BlockReader.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "gfx/ImageLoader.h"
#include "platform/Clock.h"
#include "platform/LoadError.h"
#include "platform/Messages.h"
#include "platform/Window.h"

#include <cstdio>
#include <exception>
#include <iterator>
#include <tuple>
#include <utility>

namespace vandrel {
namespace {

// A damaged part of the data set does not stop the game; stderr names it.
void reportDamaged(const char* part) {
    std::fprintf(stderr, "vandrel: the data set's %s could not be read; the game goes on without it\n", part);
}

} // namespace

// The full pass's state while it runs: between a browser's frames it outlives
// the call that set it up, so its steps hold what they use themselves.
struct Game::FullLoad {
    LoadingSteps steps;
    // The second thread's own handle on the data set, when it has one.
    std::unique_ptr<DataSet> secondData;
    int64_t total = 0;
};

Game::Game(Store& store, std::string dataPath) : session(store), exePath(std::move(dataPath)) {
    fullScreen = false;
    active = false;
    window = nullptr;
    scroll = 0;
    mouseX = 0;
    mouseY = 0;
    lastScrollTick = tickCount();
    state = GameState::Starting;
}

Game::~Game() = default;

DataSet& Game::openData() {
    if (!data_) data_ = std::make_unique<DataSet>(exePath);
    return *data_;
}

namespace {

// The entries in the order the full pass reads them.
constexpr const char* entryOrder[] = {entryName::setup,     entryName::backdrop,  entryName::figures, entryName::cursor,
                                      entryName::largeFont, entryName::smallFont, entryName::ammo};

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

void Game::readEntrySizes(DataSet& data) {
    static_assert(std::size(entryOrder) == std::tuple_size_v<decltype(entrySizes_)>);
    for (size_t i = 0; i < std::size(entryOrder); ++i) entrySizes_[i] = data.entrySize(entryOrder[i]);
}

bool Game::quickLoad() {
    setupEntryOpen_ = false;
    const bool opened = readGuarded([this] {
        DataSet& data = openData();
        // The full pass reads on in the set-up entry from where this one
        // stops, rather than inflating the sounds again to skip them; the
        // sizes its progress comes from are taken first, as each look-up
        // closes the open entry.
        readEntrySizes(data);
        const bool read = session.loadSetup(&data.openEntry(entryName::setup));
        // Sounds that cannot be read stay silent and a damaged set-up record
        // leaves its defaults; the game still starts.
        if (!read) reportDamaged("set-up entry");
        setupEntryOpen_ = read && !session.screensBeforeSetup;
        if (!setupEntryOpen_) data.reader().closeEntry();
    });
    if (!opened) return false;
    state = GameState::Loading;
    return true;
}

void Game::setProgress(int64_t done, int64_t total) {
    // The sizes come from the archive: an empty total must not divide by zero,
    // and a huge one must not overflow the product.
    session.loadProgress = total > 0 ? static_cast<int32_t>(done * 100 / total) : 0;
}

void Game::prepareFullLoad(bool secondThread) {
    auto pass = std::make_unique<FullLoad>();
    DataSet* data = &openData();
    BlockReader* reader = &data->reader();
    VideoDevice* device = display.device();
    // Straight after a quick pass the set-up entry stands open just past
    // its record, with the sizes taken.
    const bool readOn = std::exchange(setupEntryOpen_, false);
    if (!readOn) readEntrySizes(*data);
    const auto [a, b, c, d, e, f, g] = entrySizes_;
    pass->total = int64_t{a} + b + c + d + e + f + g;

    // With a second thread, the landscape, the cross-hair, the fonts and
    // the cartridge are read on it, through a data set of its own, while
    // this thread reads the set-up entry and the figures and draws the
    // frames (about the same work on each). Without one (a build without
    // threads, or the file cannot be opened twice) this thread reads them
    // all, one after another.
    if (secondThread && canLoadOnSecondThread) {
        try {
            pass->secondData = std::make_unique<DataSet>(exePath);
        } catch (const LoadError&) {
            pass->secondData.reset();
        }
    }
    DataSet* other = pass->secondData ? pass->secondData.get() : data;
    const LoadingSteps::Lane otherLane = pass->secondData ? LoadingSteps::Lane::second : LoadingSteps::Lane::caller;
    // One entry read whole by loader, on the thread of its lane.
    const auto entry = [](DataSet* set, const char* name, auto loader) {
        return [set, name, loader] {
            loader(&set->openEntry(name));
            set->reader().closeEntry();
        };
    };

    // The bar stands at the sizes of the entries read so far. The set-up
    // entry counts in two truncating thirds, so the bar can stand at 99
    // before the final 100.
    // A part that cannot be read is left out and the loading goes on: the
    // screens draw without it, as they do for a data set that has none, and
    // stderr names it. Only the figures, without which there is no round,
    // stop the loading.
    using Lane = LoadingSteps::Lane;
    LoadingSteps& steps = pass->steps;
    int64_t done = a / 3;
    steps.add(done, Lane::caller, [this, data, reader, device, readOn] {
        if (!readOn) data->openEntry(entryName::setup);
        if (!session.loadTitle(reader, device)) reportDamaged("title picture");
    });
    done = a / 3 + (2 * a) / 3;
    // The same entry, read on from where the title picture ended.
    steps.add(done, Lane::caller, [this, reader, device] {
        if (!session.loadScreens(reader, device)) reportDamaged("high-score and closing pictures");
    });
    // What one thread loads ahead of a damaged entry on the other is let
    // go again.
    steps.add(done += b, otherLane,
              entry(other, entryName::backdrop,
                    [this, device](BlockReader* r) {
                        // The layers read before a damaged one still scroll.
                        if (!loadImageList(r, &backdrop, device)) reportDamaged("landscape");
                    }),
              [this] { backdrop.clear(); });
    steps.add(done += c, Lane::caller,
              entry(data, entryName::figures,
                    [this, device](BlockReader* r) {
                        if (!figures.load(r, device)) throw LoadError();
                    }),
              [this] { figures.clear(); });
    steps.add(done += d, otherLane,
              entry(other, entryName::cursor,
                    [this, device](BlockReader* r) {
                        // Without it a round is played with no cross-hair drawn.
                        if (!session.loadCursor(r, device)) reportDamaged("cross-hair");
                    }),
              [this] { session.cursorImage.destroy(); });
    steps.add(done += e, otherLane,
              entry(other, entryName::largeFont,
                    [this, device](BlockReader* r) {
                        // Without a font the texts are left out; the round itself still plays.
                        if (!session.loadLargeFont(r, device)) reportDamaged("large font");
                    }),
              [this] { session.largeFont.sheet().destroy(); });
    steps.add(done += f, otherLane,
              entry(other, entryName::smallFont,
                    [this, device](BlockReader* r) {
                        if (!session.loadSmallFont(r, device)) reportDamaged("small font");
                    }),
              [this] { session.smallFont.sheet().destroy(); });
    steps.add(done += g, otherLane,
              entry(other, entryName::ammo,
                    [this, device](BlockReader* r) {
                        // The magazine still counts; only its picture is missing.
                        if (!session.loadAmmoImage(r, device)) reportDamaged("cartridge picture");
                    }),
              [this] { session.ammoImage.destroy(); });
    pass_ = std::move(pass);
}

// Only the title's two pictures, loaded by the first step, are drawn during
// the pass, and only by the caller's thread.
void Game::progressFrame(int64_t done) {
    setProgress(done, pass_->total);
    frameTick();
}

void Game::finishFullLoad() {
    session.music.playLooping();
    session.loadProgress = 100;
    frameTick();
    state = GameState::Title;
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
        prepareFullLoad(loadOnSecondThread);
        pass_->steps.run([this](int64_t done) { progressFrame(done); }, pass_->secondData != nullptr);
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
        more = pass_->steps.runNext([this](int64_t done) { progressFrame(done); });
        if (!more) finishFullLoad();
    });
    if (more) return true;
    endFullLoad();
    return false;
}

bool Game::frameTick() {
    if (!window) return false;

    if (KeyHold* held = keys.next()) {
        const uint32_t n = HeldKeyList::consume(*held, tickCount());
        if (held->key == static_cast<int32_t>(vk::Left))
            scroll = static_cast<int32_t>(static_cast<uint32_t>(scroll) - n);
        if (held->key == static_cast<int32_t>(vk::Right))
            scroll = static_cast<int32_t>(static_cast<uint32_t>(scroll) + n);
    }

    session.music.refill();

    Rect client;
    if (!window->clientRect(client)) return false;
    display.fitBackBuffer(client);

    if (state == GameState::InPlay && session.round.over) {
        enterHighScores(true);
        session.round.over = 0;
    }
    if (state == GameState::HighScores && session.highScores.done) {
        session.highScores.done = false;
        state = GameState::Title;
    }

    VideoSurface* target = display.backBuffer();
    Rect clip = client;
    switch (state) {
    case GameState::Credits: session.drawCredits(target, clip); break;
    case GameState::HighScores: session.drawHighScores(target, clip); break;
    case GameState::Loading:
    case GameState::Title: session.drawTitle(target, clip, true); break;
    case GameState::InPlay: playFrame(target, clip); break;
    default: break;
    }
    if (state == GameState::Title || state == GameState::InPlay)
        session.drawCursor(target, clip, mouseX, mouseY, display.device());
    if (controls) controls->drawOver(state, target, clip, session.smallFont, tickCount());

    display.present(0, 0);
    return true;
}

void Game::playFrame(VideoSurface* target, Rect& clip) {
    const uint32_t now = tickCount();
    const int32_t c = (mouseX - session.setup.screenWidth / 2) / 100;
    // Signed 32-bit arithmetic, product first; the wrap is made explicit so a
    // very long pause before the first play frame cannot overflow.
    const uint32_t elapsed = now - lastScrollTick;
    const auto product = static_cast<int32_t>(static_cast<uint32_t>(c * c * c) * elapsed);
    scroll += product / 20;
    lastScrollTick = tickCount();

    if (scroll < 0) scroll = 0;
    if (scroll > backdrop.maxLayerWidth() - session.setup.screenWidth)
        scroll = backdrop.maxLayerWidth() - session.setup.screenWidth;

    const int32_t widest = backdrop.maxLayerWidth();
    const uint32_t t = tickCount();
    for (int32_t layer = 0; layer < FigureManager::layerCount; ++layer) {
        const float f =
            backdrop.drawLayer(target, clip, scroll, layer, session.setup.screenWidth, session.setup.screenHeight);
        figures.updateLayer(layer, t, f, scroll, target, &clip, widest, session.setup.screenWidth, &session.largeFont);
    }
    session.drawHud(target, clip);
}

void Game::enterHighScores(bool handOverScore) {
    display.settleFlipChain();
    // The cross-hair's last target must still be the back buffer we draw into;
    // a window that was resized since has a new one.
    if (session.lastTarget != display.backBuffer()) session.lastTarget = nullptr;
    try {
        session.snapshot();
    } catch (const LoadError&) {
        // No copy of the last frame: the screen opens without it.
        session.highScores.snapshot.reset();
    }
    session.highScores.reset();
    if (handOverScore) {
        session.highScores.pendingScore = session.round.score;
        session.round.score = 0;
    }
    state = GameState::HighScores;
}

void Game::onMouseMove(int32_t x, int32_t y) {
    mouseX = x;
    mouseY = y;
}

void Game::onLeftClick(int32_t x, int32_t y) {
    switch (state) {
    case GameState::Title:
        session.titleGrey.destroy();
        state = GameState::InPlay;
        // However long the title stood, the round's first frame scrolls by
        // one frame's time.
        lastScrollTick = tickCount();
        session.startRound();
        session.round.ammo = session.setup.magazineSize;
        session.round.score = 0;
        figures.startRound();
        break;
    case GameState::InPlay: {
        if (!session.hasAmmo()) {
            session.playEmpty();
            break;
        }
        const int32_t opaque = backdrop.hitLayer(x, y);
        for (int32_t layer = FigureManager::layerCount - 1; layer >= 0; --layer) {
            if (figures.hitTestLayer(layer, x, y, opaque, session)) {
                session.useRound();
                return;
            }
        }
        session.shotMissed();
        break;
    }
    case GameState::HighScores: session.highScores.typeChar(static_cast<int32_t>(vk::Return)); break;
    case GameState::Credits:
        if (window) window->post(msg::Close);
        break;
    default: break;
    }
}

void Game::onRightClick() {
    if (session.reload()) session.playReload();
}

bool Game::onEscape() {
    switch (state) {
    case GameState::Title:
    case GameState::InPlay: enterHighScores(false); return false;
    case GameState::HighScores: state = GameState::Credits; return false;
    default: return true;
    }
}

bool Game::typingName() const {
    const HighscoreTable& table = session.highScores;
    return state == GameState::HighScores && (table.editIndex >= 0 || (table.pendingScore != 0 && !table.inserted));
}

void Game::onChar(int32_t c) {
    if (state == GameState::HighScores) session.highScores.typeChar(c);
}

void Game::releaseLoaded() {
    // A pass still running between frames goes first: its steps load into
    // what goes here.
    endFullLoad();
    backdrop.clear();
    figures.clear();
    session.clear();
}

void Game::reloadMode(bool toFullScreen) {
    session.music.unload();
    window->setFullScreen(toFullScreen);
    releaseLoaded();
    display.close();
    // Back in a window the game opens at its own size; full screen takes the set-up's.
    if (toFullScreen)
        display.open(window, true, session.setup.screenWidth, session.setup.screenHeight);
    else
        display.open(window, false, 640, 480);
    quickLoad();
    fullLoad();
    fullScreen = toFullScreen;
}

void Game::releaseAll() {
    session.music.unload();
    releaseLoaded();
    display.close();
    keys.clear();
    data_.reset();
    setupEntryOpen_ = false;
}

} // namespace vandrel
