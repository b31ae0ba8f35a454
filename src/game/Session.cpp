// The session's loaders (set-up record, screens, fonts, cross-hair,
// cartridge), the title and closing screens, the head-up display, the
// cross-hair, the sounds around the round's magazine, and the snapshot.
#include "game/Session.h"

#include "base/Clock.h"
#include "base/LoadError.h"
#include "data/BlockReader.h"
#include "data/Credits.h"
#include "data/DataLayout.h"
#include "gfx/FontCells.h"
#include "gfx/ImageLoader.h"
#include "video/VideoDevice.h"
#include "video/VideoSurface.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace vandrel {
namespace {

// Makes grey from the title picture, pixel by pixel, with the usual weights.
void makeGreyCopy(Surface& colour, Surface& grey, VideoDevice* device) {
    if (!grey.makeGreyOf(colour, device)) throw LoadError();
}

} // namespace

Session::Session(Store& store) : highScores_(store) {
    setup_.restoreDefaults();
    startRound();
    loadProgress_ = 0;
    lastTarget_ = nullptr;
    highScores_.attach(*this);
}

Session::~Session() { clear(); }

bool Session::loadSetup(BlockReader* reader) {
    if (!reader) return false;
    screensBeforeSetup_ = false;
    for (;;) {
        uint16_t tag = 0;
        if (!reader->readHeader(tag)) return false;
        if (tag == blockTag::titleScreen || tag == blockTag::highscoreScreen || tag == blockTag::endScreen)
            screensBeforeSetup_ = true;
        if (tag == blockTag::missSound) {
            if (!missSound_.load(reader, false)) return false;
        } else if (tag == blockTag::emptySound) {
            if (!emptySound_.load(reader, false)) return false;
        } else if (tag == blockTag::reloadSound) {
            if (!reloadSound_.load(reader, false)) return false;
        } else if (tag == blockTag::music) {
            music_.load(reader);
        } else if (tag == blockTag::setupRecord) {
            if (!setup_.read(*reader)) return false;
            // Nothing stored (or nothing readable) leaves the default rows.
            static_cast<void>(highScores_.loadFromRegistry(tableNameFor(setup_.tableName, tableKind())));
        }
        if (!reader->nextBlock()) return false;
        if (tag == blockTag::setupRecord) return true;
    }
}

bool Session::loadTitle(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (setup_.hasTitle == 0) return true;
    uint16_t tag = 0;
    for (;;) {
        if (!reader->readHeader(tag)) return false;
        if (tag == blockTag::titleScreen) break;
        if (!reader->nextBlock()) return false;
    }
    if (!reader->nextBlock()) return false;
    loadImagePair(reader, &titleImage_, device);
    makeGreyCopy(titleImage_, titleGrey_, device);
    reader->nextBlock();
    return true;
}

bool Session::loadScreens(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (setup_.hasHighscoreImage == 0 && setup_.hasEndImage == 0) return true;
    uint8_t haveHighscore = 0;
    uint8_t haveEnd = 0;
    for (;;) {
        uint16_t tag = 0;
        if (!reader->readHeader(tag)) return false;
        if (tag == blockTag::endScreen) {
            if (!reader->nextBlock()) return false;
            loadImagePair(reader, &endImage_, device);
            haveEnd = 1;
        } else if (tag == blockTag::highscoreScreen) {
            if (!reader->nextBlock()) return false;
            loadImagePair(reader, &highScores_.picture(), device);
            haveHighscore = 1;
        }
        if (!reader->nextBlock()) return false;
        if (haveHighscore == setup_.hasHighscoreImage && haveEnd == setup_.hasEndImage) return true;
    }
}

bool Session::loadCursor(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    return loadImage(reader, &cursorImage_, device);
}

bool Session::loadAmmoImage(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    return loadImage(reader, &ammoImage_, device);
}

bool Session::loadLargeFont(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (!largeFont_.load(reader, device)) return false;
    constexpr fontCells::CellLayout cells = fontCells::largeFont;
    largeFont_.setLayout(cells.origin, cells.origin, cells.cellWidth, cells.cellHeight, cells.gap, cells.gap, 18, 10);
    return true;
}

bool Session::loadSmallFont(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (!smallFont_.load(reader, device)) return false;
    constexpr fontCells::CellLayout cells = fontCells::smallFont;
    smallFont_.setLayout(cells.origin, cells.origin, cells.cellWidth, cells.cellHeight, cells.gap, cells.gap, 12, 5);
    return true;
}

void Session::drawTitle(VideoSurface* target, const Rect& clip, bool showProgress) {
    // The colour picture uncovers the grey one from the left as loading goes on.
    // The width comes from the set-up record: the product must not overflow.
    const int32_t uncovered =
        showProgress ? static_cast<int32_t>(int64_t{setup_.screenWidth} * loadProgress_ / 100) : titleImage_.width();
    // The grey copy is drawn only where the colour picture does not cover it.
    const int32_t greyFrom = std::clamp(uncovered, 0, titleImage_.width());
    titleGrey_.blitPart(target, clip, greyFrom, 0, greyFrom, 0, titleGrey_.width() - greyFrom, titleGrey_.height(),
                        false);
    titleImage_.blitPart(target, clip, 0, 0, 0, 0, uncovered, titleImage_.height(), false);
}

void Session::drawHighScores(VideoSurface* target, const Rect& clip) { highScores_.screen().draw(target, &clip); }

void Session::drawCredits(VideoSurface* target, const Rect& clip) {
    endImage_.blit(target, clip, 0, 0, false, 100.0f);
    const uint32_t now = tickCount();
    if (!creditsStarted_) {
        creditsStarted_ = true;
        creditsStart_ = now;
    }
    const uint32_t a = (now - creditsStart_) / 10u;
    // Seventy seconds after it entered, the line starts over from the right.
    if (a > 7000u) creditsStart_ = now;
    const auto x = static_cast<int32_t>(static_cast<uint32_t>(setup_.screenWidth) - a);
    smallFont_.drawText(target, clip, x, setup_.screenHeight - 30, creditsLine, true);
}

void Session::drawHud(VideoSurface* target, const Rect& clip) {
    const uint32_t now = tickCount();
    if (!options_.practice) round_.countDown(now);
    // Refilled before the cartridges are drawn: no frame shows the magazine
    // empty once the reload's time is up.
    if (options_.autoReload && setup_.magazineSize > 0 && round_.emptyFor(autoReloadMs(), now))
        static_cast<void>(round_.reload(setup_.magazineSize));

    char text[32];
    if (!options_.practice) {
        smallFont_.drawText(target, clip, 3, 6, "TIME:", false);
        std::snprintf(text, sizeof text, "%d:%.2d", round_.secondsLeft() / 60, round_.secondsLeft() % 60);
        largeFont_.drawText(target, clip, 65, 2, text, false);
    }
    smallFont_.drawText(target, clip, setup_.screenWidth - 200, 6, "SCORE:", false);
    std::snprintf(text, sizeof text, "%.6d", round_.score());
    largeFont_.drawText(target, clip, setup_.screenWidth - 120, 2, text, false);

    // The cartridges from the right edge toward the left.
    // A huge magazine from the set-up record stops at the screen's left edge.
    for (int32_t i = 0; i < round_.ammo(); ++i) {
        const int64_t x = int64_t{setup_.screenWidth} - 25 * int64_t{i} - 45;
        if (x + ammoImage_.width() <= 0) break;
        ammoImage_.blit(target, clip, static_cast<int32_t>(x), setup_.screenHeight - 60, true, 100.0f);
    }
}

Rect Session::magazineArea() const {
    // The cartridges as drawHud lays them out; an empty magazine setting
    // still leaves one cartridge's place to tap.
    const int64_t cartridges = std::max<int64_t>(1, setup_.magazineSize);
    const int64_t left = int64_t{setup_.screenWidth} - 25 * (cartridges - 1) - 45;
    return Rect{static_cast<int32_t>(std::max<int64_t>(0, left)), setup_.screenHeight - 60, setup_.screenWidth,
                setup_.screenHeight};
}

void Session::drawCursor(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, VideoDevice* device) {
    if (!cursorStyle_.plain() && !styledCursorTried_ && !cursorImage_.isEmpty()) {
        styledCursorTried_ = true;
        // Without a styled copy the cross-hair is drawn as the data set has it.
        if (!styleCursor(cursorImage_, cursorStyle_, cursorImage_.device(), styledCursor_))
            styledCursor_.picture.destroy();
    }
    if (!cursorStyle_.plain() && !styledCursor_.picture.isEmpty())
        styledCursor_.picture.blit(target, clip, x - styledCursor_.hotX, y - styledCursor_.hotY, true, 100.0f);
    else
        cursorImage_.blit(target, clip, x - cursorImage_.width() / 2, y - cursorImage_.height() / 2, true, 100.0f);
    lastTarget_ = target;
    lastDevice_ = device;
    lastClip_ = clip;
}

void Session::setCursorStyle(const CursorStyle& style) {
    if (style == cursorStyle_) return;
    cursorStyle_ = style;
    dropStyledCursor();
}

void Session::startRound() { round_.start(setup_, options_.roundSeconds); }

uint32_t Session::autoReloadMs() const {
    // The length is what the data set's sound declares: a kit's could say anything.
    const int32_t length = reloadSound_.staticPart().lengthMs();
    return length > 0 ? static_cast<uint32_t>(std::min(length, 5000)) : 1000u;
}

void Session::useRound() {
    const bool hadAmmo = round_.hasAmmo();
    round_.useRound();
    if (options_.autoReload && hadAmmo && !round_.hasAmmo() && setup_.magazineSize > 0) reloadSound_.playFromStart();
}

void Session::shotMissed() {
    missSound_.playFromStart();
    useRound();
}

void Session::playEmpty() { emptySound_.playFromStart(); }

bool Session::reload() { return round_.reload(setup_.magazineSize); }

void Session::playReload() { reloadSound_.playFromStart(); }

void Session::addScore(int32_t points) { round_.addScore(points); }

void Session::leaveTitle() { titleGrey_.destroy(); }

void Session::playMusic() { music_.playLooping(); }

void Session::feedMusic() { music_.refill(); }

void Session::stopMusic() { music_.unload(); }

void Session::resumeMusic() {
    if (music_.state() == StreamingSound::State::Paused) music_.playLooping();
}

void Session::openHighScores(const VideoSurface* backBuffer) {
    if (lastTarget_ != backBuffer) lastTarget_ = nullptr;
    try {
        snapshot();
    } catch (const LoadError&) {
        // No copy of the last frame: the screen opens without it.
        highScores_.screen().setSnapshot(nullptr);
    }
    highScores_.screen().reset();
}

void Session::handOverScore() { highScores_.screen().setPendingScore(round_.handOverScore()); }

void Session::snapshot() {
    highScores_.screen().setSnapshot(nullptr);
    // No cross-hair frame on this display yet: the screen opens without a picture.
    if (!lastTarget_ || !lastDevice_) return;
    SurfaceSize size = surfaceSize(lastTarget_);
    std::unique_ptr<VideoSurface> copy = createPlainSurface(size.width, size.height, lastDevice_);
    if (!copy) return;
    Rect r = lastClip_;
    if (!copy->blt(&r, lastTarget_, &r, false)) throw LoadError();
    highScores_.screen().setSnapshot(std::move(copy));
}

void Session::clear() {
    missSound_.unload();
    emptySound_.unload();
    reloadSound_.unload();
    music_.unload();
    cursorImage_.destroy();
    dropStyledCursor();
    largeFont_.sheet().destroy();
    smallFont_.sheet().destroy();
    ammoImage_.destroy();
    titleImage_.destroy();
    titleGrey_.destroy();
    highScores_.screen().clear();
    endImage_.destroy();
    // The surfaces the cross-hair was last drawn into belong to a display that
    // is about to close; a snapshot must not reach for them.
    lastTarget_ = nullptr;
    lastDevice_ = nullptr;
    setup_.restoreDefaults();
}

} // namespace vandrel
