// The session's loaders (set-up record, screens, fonts, cross-hair,
// cartridge), the title and closing screens, the head-up display, the
// cross-hair, the sounds around the round's magazine, and the snapshot.
#include "game/Session.h"

#include "data/BlockReader.h"
#include "data/Credits.h"
#include "data/DataLayout.h"
#include "gfx/ImageLoader.h"
#include "platform/Clock.h"
#include "platform/LoadError.h"
#include "platform/VideoDevice.h"
#include "platform/VideoSurface.h"

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

Session::Session(Store& store) : highScores(store) {
    setup.restoreDefaults();
    startRound();
    round.ammo = setup.magazineSize;
    round.score = 0;
    loadProgress = 0;
    lastTarget = nullptr;
    round.over = 0;
    highScores.attach(*this);
}

Session::~Session() { clear(); }

bool Session::loadSetup(BlockReader* reader) {
    if (!reader) return false;
    screensBeforeSetup = false;
    for (;;) {
        uint16_t tag = 0;
        if (!reader->readHeader(tag)) return false;
        if (tag == blockTag::titleScreen || tag == blockTag::highscoreScreen || tag == blockTag::endScreen)
            screensBeforeSetup = true;
        if (tag == blockTag::missSound) {
            if (!missSound.load(reader, false)) return false;
        } else if (tag == blockTag::emptySound) {
            if (!emptySound.load(reader, false)) return false;
        } else if (tag == blockTag::reloadSound) {
            if (!reloadSound.load(reader, false)) return false;
        } else if (tag == blockTag::music) {
            music.load(reader);
        } else if (tag == blockTag::setupRecord) {
            if (!setup.read(*reader)) return false;
            // Nothing stored (or nothing readable) leaves the default rows.
            static_cast<void>(highScores.loadFromRegistry(setup.tableName));
        }
        if (!reader->nextBlock()) return false;
        if (tag == blockTag::setupRecord) return true;
    }
}

bool Session::loadTitle(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (setup.hasTitle == 0) return true;
    uint16_t tag = 0;
    for (;;) {
        if (!reader->readHeader(tag)) return false;
        if (tag == blockTag::titleScreen) break;
        if (!reader->nextBlock()) return false;
    }
    if (!reader->nextBlock()) return false;
    loadImagePair(reader, &titleImage, device);
    makeGreyCopy(titleImage, titleGrey, device);
    reader->nextBlock();
    return true;
}

bool Session::loadScreens(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (setup.hasHighscoreImage == 0 && setup.hasEndImage == 0) return true;
    uint8_t haveHighscore = 0;
    uint8_t haveEnd = 0;
    for (;;) {
        uint16_t tag = 0;
        if (!reader->readHeader(tag)) return false;
        if (tag == blockTag::endScreen) {
            if (!reader->nextBlock()) return false;
            loadImagePair(reader, &endImage, device);
            haveEnd = 1;
        } else if (tag == blockTag::highscoreScreen) {
            if (!reader->nextBlock()) return false;
            loadImagePair(reader, &highScores.picture(), device);
            haveHighscore = 1;
        }
        if (!reader->nextBlock()) return false;
        if (haveHighscore == setup.hasHighscoreImage && haveEnd == setup.hasEndImage) return true;
    }
}

bool Session::loadCursor(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    return loadImage(reader, &cursorImage, device);
}

bool Session::loadAmmoImage(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    return loadImage(reader, &ammoImage, device);
}

bool Session::loadLargeFont(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (!largeFont.load(reader, device)) return false;
    largeFont.setLayout(2, 2, 23, 37, 2, 2, 18, 10);
    return true;
}

bool Session::loadSmallFont(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (!smallFont.load(reader, device)) return false;
    smallFont.setLayout(0, 0, 16, 26, 0, 0, 12, 5);
    return true;
}

void Session::drawTitle(VideoSurface* target, const Rect& clip, bool showProgress) {
    // The colour picture uncovers the grey one from the left as loading goes on.
    // The width comes from the set-up record: the product must not overflow.
    const int32_t uncovered =
        showProgress ? static_cast<int32_t>(int64_t{setup.screenWidth} * loadProgress / 100) : titleImage.width();
    // The grey copy is drawn only where the colour picture does not cover it.
    const int32_t greyFrom = std::clamp(uncovered, 0, titleImage.width());
    titleGrey.blitPart(target, clip, greyFrom, 0, greyFrom, 0, titleGrey.width() - greyFrom, titleGrey.height(), false);
    titleImage.blitPart(target, clip, 0, 0, 0, 0, uncovered, titleImage.height(), false);
}

void Session::drawHighScores(VideoSurface* target, const Rect& clip) { highScores.screen().draw(target, &clip); }

void Session::drawCredits(VideoSurface* target, const Rect& clip) {
    endImage.blit(target, clip, 0, 0, false, 100.0f);
    const uint32_t now = tickCount();
    if (!creditsStarted) {
        creditsStarted = true;
        creditsStart = now;
    }
    const uint32_t a = (now - creditsStart) / 10u;
    // Seventy seconds after it entered, the line starts over from the right.
    if (a > 7000u) creditsStart = now;
    const auto x = static_cast<int32_t>(static_cast<uint32_t>(setup.screenWidth) - a);
    smallFont.drawText(target, clip, x, setup.screenHeight - 30, creditsLine, true);
}

void Session::drawHud(VideoSurface* target, const Rect& clip) {
    round.countDown(tickCount());

    char text[32];
    smallFont.drawText(target, clip, 3, 6, "TIME:", false);
    std::snprintf(text, sizeof text, "%d:%.2d", round.secondsLeft / 60, round.secondsLeft % 60);
    largeFont.drawText(target, clip, 65, 2, text, false);
    smallFont.drawText(target, clip, setup.screenWidth - 200, 6, "SCORE:", false);
    std::snprintf(text, sizeof text, "%.6d", round.score);
    largeFont.drawText(target, clip, setup.screenWidth - 120, 2, text, false);

    // The cartridges from the right edge toward the left.
    // A huge magazine from the set-up record stops at the screen's left edge.
    for (int32_t i = 0; i < round.ammo; ++i) {
        const int64_t x = int64_t{setup.screenWidth} - 25 * int64_t{i} - 45;
        if (x + ammoImage.width() <= 0) break;
        ammoImage.blit(target, clip, static_cast<int32_t>(x), setup.screenHeight - 60, true, 100.0f);
    }
}

Rect Session::magazineArea() const {
    // The cartridges as drawHud lays them out; an empty magazine setting
    // still leaves one cartridge's place to tap.
    const int64_t cartridges = std::max<int64_t>(1, setup.magazineSize);
    const int64_t left = int64_t{setup.screenWidth} - 25 * (cartridges - 1) - 45;
    return Rect{static_cast<int32_t>(std::max<int64_t>(0, left)), setup.screenHeight - 60, setup.screenWidth,
                setup.screenHeight};
}

void Session::drawCursor(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, VideoDevice* device) {
    cursorImage.blit(target, clip, x - cursorImage.width() / 2, y - cursorImage.height() / 2, true, 100.0f);
    lastTarget = target;
    lastDevice = device;
    lastClip = clip;
}

void Session::startRound() { round.start(setup); }

void Session::useRound() { round.useRound(); }

void Session::shotMissed() {
    missSound.playFromStart();
    useRound();
}

void Session::playEmpty() { emptySound.playFromStart(); }

bool Session::reload() { return round.reload(setup.magazineSize); }

void Session::playReload() { reloadSound.playFromStart(); }

void Session::addScore(int32_t points) { round.addScore(points); }

void Session::snapshot() {
    highScores.screen().setSnapshot(nullptr);
    // No cross-hair frame on this display yet: the screen opens without a picture.
    if (!lastTarget || !lastDevice) return;
    SurfaceSize size = surfaceSize(lastTarget);
    std::unique_ptr<VideoSurface> copy = createPlainSurface(size.width, size.height, lastDevice);
    if (!copy) return;
    Rect r = lastClip;
    if (!copy->blt(&r, lastTarget, &r, false)) throw LoadError();
    highScores.screen().setSnapshot(std::move(copy));
}

void Session::clear() {
    missSound.unload();
    emptySound.unload();
    reloadSound.unload();
    music.unload();
    cursorImage.destroy();
    largeFont.sheet().destroy();
    smallFont.sheet().destroy();
    ammoImage.destroy();
    titleImage.destroy();
    titleGrey.destroy();
    highScores.screen().clear();
    endImage.destroy();
    // The surfaces the cross-hair was last drawn into belong to a display that
    // is about to close; a snapshot must not reach for them.
    lastTarget = nullptr;
    lastDevice = nullptr;
    setup.restoreDefaults();
}

} // namespace vandrel
