// The high-score screen: the opening wipe from the last game frame, the rows with
// the blinking pending score and cursor, and the name entry.
#include "scores/HighscoreScreen.h"

#include "base/Clock.h"
#include "gfx/Font.h"
#include "input/Messages.h"
#include "scores/HighscoreHost.h"
#include "scores/HighscoreRows.h"
#include "scores/HighscoreStorage.h"
#include "video/VideoSurface.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vandrel {

namespace {

// Where row i is drawn, and its name cursor.
int32_t rowY(int32_t i) { return 80 + 38 * i; }

} // namespace

void HighscoreScreen::reset() {
    revealX_ = -1;
    framesShown_ = 0;
    wipeStart_ = 0;
    pendingScore_ = 0;
    inserted_ = false;
}

void HighscoreScreen::clear() {
    reset();
    snapshot_.reset();
    picture_.destroy();
}

void HighscoreScreen::endEntry() { editIndex_ = -1; }

int32_t HighscoreScreen::cursorY() const { return editIndex_ >= 0 ? rowY(editIndex_) : 0; }

void HighscoreScreen::insertPending() {
    inserted_ = true;
    const int32_t row = rows_.insert(pendingScore_);
    if (row < 0) return;
    editIndex_ = row;
}

bool HighscoreScreen::awaitsName() const {
    if (editIndex_ >= 0) return true;
    return !inserted_ && pendingScore_ != 0 && rows_.rowFor(pendingScore_) >= 0;
}

bool HighscoreScreen::nameFull() const { return editIndex_ >= 0 && rows_.nameFull(editIndex_); }

bool HighscoreScreen::wipeRunning() const { return host_ == nullptr || revealX_ < host_->highscoreScreenWidth() - 10; }

void HighscoreScreen::typeChar(int32_t ch) {
    if (wipeRunning()) return;
    if (editIndex_ < 0 || editIndex_ >= HighscoreRows::maxRows) {
        if (ch == static_cast<int32_t>(vk::Return)) leave();
        return;
    }
    if (ch == static_cast<int32_t>(vk::Return)) {
        endEntry();
        // Stored at once, so that a reload after a screen mode switch keeps the name.
        // A failed save has been said on stderr; the player plays on.
        static_cast<void>(storage_.save(rows_));
    } else {
        rows_.type(editIndex_, ch);
    }
}

void HighscoreScreen::draw(VideoSurface* dest, const Rect* clip) {
    if (dest == nullptr || clip == nullptr || host_ == nullptr) return;
    int32_t width = host_->highscoreScreenWidth();
    int32_t height = host_->highscoreScreenHeight();
    if (revealX_ < width - 10)
        drawWipe(dest, *clip, width, height);
    else
        drawTable(dest, *clip, width, height);
}

void HighscoreScreen::drawWipe(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height) {
    framesShown_ += 1;
    if (framesShown_ < 10) {
        // The display has settled its flip chain on the last frame; every buffer
        // shows it for a few frames before the wipe starts.
        if (snapshot_) dest->blt(&clip, snapshot_.get(), &clip, false);
        return;
    }
    if (wipeStart_ == 0) wipeStart_ = tickCount();
    uint32_t now = tickCount();
    for (int32_t x = 0; x < width; x += 10) {
        uint32_t t = now - wipeStart_;
        auto h = static_cast<int32_t>((std::sin(t * 0.0025 + 1.57075) + 1.0) * (height * 0.5));
        if (h <= 0) {
            revealX_ = std::max(revealX_, x);
            h = 0;
        } else if (x <= revealX_) {
            h = 0;
        }
        if (now <= wipeStart_) break;
        now -= 20;
        picture_.blitPart(dest, clip, x, h, x, 0, 10, picture_.height(), false);
        if (snapshot_) {
            Rect from{x, h, x + 10, height};
            Rect to{x, 0, x + 10, h};
            dest->blt(&to, snapshot_.get(), &from, false);
        }
    }
}

void HighscoreScreen::drawTable(VideoSurface* dest, const Rect& clip, int32_t width, int32_t height) {
    picture_.blit(dest, clip, 0, 0, true, 100.0f);
    Font* font = host_->highscoreFont();
    auto text = [&](int32_t x, int32_t y, const char* s) {
        if (font) font->drawText(dest, clip, x, y, s, false);
    };
    auto measure = [&](const char* s) { return font ? font->textWidth(s) : 0; };

    text(width / 2 - 110, 10, "Der Highscore");
    if (!inserted_) insertPending();
    char number[16];
    for (int32_t i = 0; i < rows_.count(); ++i) {
        text(40, rowY(i), rows_.name(i));
        std::snprintf(number, sizeof number, "%d", rows_.score(i));
        text(width - measure(number) - 40, rowY(i), number);
    }
    bool blink = (tickCount() / 300) % 2 == 1;
    if (pendingScore_ > 0 && blink) {
        std::snprintf(number, sizeof number, "%d", pendingScore_);
        text(width / 2 - measure(number) / 2, height - 40, number);
    }
    if (blink && editIndex_ >= 0 && editIndex_ < HighscoreRows::maxRows)
        text(40 + measure(rows_.name(editIndex_)), rowY(editIndex_), "|");
}

} // namespace vandrel
