// The session's loaders (set-up record, screens, fonts, cross-hair,
// cartridge), the title and closing screens, the cross-hair and the snapshot.
// The round, the magazine and the head-up display live in SessionRound.cpp.
#include "game/Session.h"

#include "data/BlockReader.h"
#include "data/Credits.h"
#include "gfx/ImageLoader.h"
#include "platform/Clock.h"
#include "platform/LoadError.h"
#include "platform/VideoDevice.h"
#include "platform/VideoSurface.h"

#include <vector>

namespace vandrel {
namespace {

constexpr uint16_t kTagS1 = makeTag('S', '1');
constexpr uint16_t kTagS2 = makeTag('S', '2');
constexpr uint16_t kTagS3 = makeTag('S', '3');
constexpr uint16_t kTagS4 = makeTag('S', '4');
constexpr uint16_t kTagSS = makeTag('S', 'S');
constexpr uint16_t kTagST = makeTag('S', 'T');
constexpr uint16_t kTagSH = makeTag('S', 'H');
constexpr uint16_t kTagSE = makeTag('S', 'E');

bool readI32(BlockReader* reader, int32_t& out) {
    uint32_t v = 0;
    if (!reader->readU32(&v)) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// Makes grey from the title picture, pixel by pixel, with the usual weights.
void makeGreyCopy(Surface& colour, Surface& grey, VideoDevice* device) {
    const int32_t w = colour.width();
    const int32_t h = colour.height();
    if (!grey.create(w, h, device, true)) throw LoadError();
    std::vector<uint8_t> row(static_cast<size_t>(w) * 3);
    colour.lock();
    grey.lock();
    for (int32_t y = 0; y < h; ++y) {
        colour.getRow(row.data(), y, false);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = &row[static_cast<size_t>(x) * 3];
            const auto v = static_cast<uint8_t>(0.11 * p[0] + 0.59 * p[1] + 0.3 * p[2]);
            p[0] = p[1] = p[2] = v;
        }
        grey.putRow(row.data(), y, false);
    }
    grey.unlock();
    colour.unlock();
}

} // namespace

Session::Session(Store& store) : highScores(store) {
    setDefaults();
    startRound();
    ammo = magazineSize;
    score = 0;
    loadProgress = 0;
    lastTarget = nullptr;
    roundOver = 0;
    highScores.attach(*this);
}

Session::~Session() { clear(); }

void Session::setDefaults() {
    screenWidth = 640;
    screenHeight = 480;
    magazineSize = 10;
    roundMinutes = 2;
    roundSeconds = 30;
    hasTitle = 0;
    hasHighscoreImage = 0;
    hasEndImage = 0;
}

bool Session::loadSetup(BlockReader* reader) {
    if (!reader) return false;
    for (;;) {
        uint16_t tag = 0;
        if (!reader->readHeader(tag)) return false;
        if (tag == kTagS1) {
            if (!missSound.load(reader, false)) return false;
        } else if (tag == kTagS2) {
            if (!emptySound.load(reader, false)) return false;
        } else if (tag == kTagS3) {
            if (!reloadSound.load(reader, false)) return false;
        } else if (tag == kTagS4) {
            music.load(reader);
        } else if (tag == kTagSS) {
            const bool complete = readI32(reader, screenWidth) && readI32(reader, screenHeight) &&
                                  readI32(reader, roundMinutes) && readI32(reader, roundSeconds) &&
                                  readI32(reader, magazineSize) && reader->readU8(&hasTitle) &&
                                  reader->readU8(&hasHighscoreImage) && reader->readU8(&hasEndImage);
            // No display can show a screen of no pixels or of more than a surface
            // may have; such a record (whole or cut short) is damaged and the game
            // keeps its own size, so no position computed from the size can overflow.
            if (screenWidth < 1 || screenWidth > VideoDevice::maxSurfaceSide || screenHeight < 1 ||
                screenHeight > VideoDevice::maxSurfaceSide) {
                screenWidth = 640;
                screenHeight = 480;
            }
            if (!complete) return false;
            reader->readU8(&startFullScreen);
            reader->read(tableName, tableNameSize);
            // The field holds at most 30 characters; a record without the
            // terminating zero must not run the name into what follows.
            tableName[tableNameSize - 1] = '\0';
            highScores.loadFromRegistry(tableName);
        }
        if (!reader->nextBlock()) return false;
        if (tag == kTagSS) return true;
    }
}

bool Session::loadTitle(BlockReader* reader, VideoDevice* device) {
    if (!reader || !device) return false;
    if (hasTitle == 0) return true;
    uint16_t tag = 0;
    for (;;) {
        if (!reader->readHeader(tag)) return false;
        if (tag == kTagST) break;
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
    if (hasHighscoreImage == 0 && hasEndImage == 0) return true;
    uint8_t haveHighscore = 0;
    uint8_t haveEnd = 0;
    for (;;) {
        uint16_t tag = 0;
        if (!reader->readHeader(tag)) return false;
        if (tag == kTagSE) {
            if (!reader->nextBlock()) return false;
            loadImagePair(reader, &endImage, device);
            haveEnd = 1;
        } else if (tag == kTagSH) {
            if (!reader->nextBlock()) return false;
            loadImagePair(reader, &highScores, device);
            haveHighscore = 1;
        }
        if (!reader->nextBlock()) return false;
        if (haveHighscore == hasHighscoreImage && haveEnd == hasEndImage) return true;
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
    titleGrey.blit(target, clip, 0, 0, false, 100.0f);
    // The colour picture uncovers the grey one from the left as loading goes on.
    // The width comes from the set-up record: the product must not overflow.
    const int32_t uncovered =
        showProgress ? static_cast<int32_t>(int64_t{screenWidth} * loadProgress / 100) : titleImage.width();
    titleImage.blitPart(target, clip, 0, 0, 0, 0, uncovered, titleImage.height(), false);
}

void Session::drawHighScores(VideoSurface* target, const Rect& clip) { highScores.draw(target, &clip); }

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
    const auto x = static_cast<int32_t>(static_cast<uint32_t>(screenWidth) - a);
    smallFont.drawText(target, clip, x, screenHeight - 30, creditsLine, true);
}

void Session::drawCursor(VideoSurface* target, const Rect& clip, int32_t x, int32_t y, VideoDevice* device) {
    cursorImage.blit(target, clip, x - cursorImage.width() / 2, y - cursorImage.height() / 2, true, 100.0f);
    lastTarget = target;
    lastDevice = device;
    lastClip = clip;
}

void Session::snapshot() {
    highScores.snapshot.reset();
    // No cross-hair frame on this display yet: the screen opens without a picture.
    if (!lastTarget || !lastDevice) return;
    SurfaceSize size = surfaceSize(lastTarget);
    highScores.snapshot = createPlainSurface(size.width, size.height, lastDevice);
    if (!highScores.snapshot) return;
    Rect r = lastClip;
    if (!highScores.snapshot->blt(&r, lastTarget, &r, false)) throw LoadError();
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
    highScores.clear();
    endImage.destroy();
    // The surfaces the cross-hair was last drawn into belong to a display that
    // is about to close; a snapshot must not reach for them.
    lastTarget = nullptr;
    lastDevice = nullptr;
    setDefaults();
}

} // namespace vandrel
