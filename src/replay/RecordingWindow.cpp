// Passing the real window through while writing down what it delivered.
#include "replay/RecordingWindow.h"

#include "base/Clock.h"
#include "replay/ReplayWriter.h"
#include "video/VideoSurface.h"

#include <utility>

namespace vandrel {

void RecordingWindow::takeMessages(bool write) {
    Message m;
    while (inner_.queue().take(m)) {
        if (write)
            writer_.message(m);
        else
            waited_.push_back(m);
        queue().post(m);
    }
}

void RecordingWindow::pumpEvents() {
    // What came while waiting is written now, so the turn that waited keeps
    // its checkpoint next to it.
    for (const Message& m : waited_) writer_.message(m);
    waited_.clear();
    inner_.pumpEvents();
    query_ = 0;
    takeMessages(true);
    writer_.step(tickCount());
}

void RecordingWindow::waitEvents(uint32_t timeoutMs) {
    inner_.waitEvents(timeoutMs);
    takeMessages(false);
}

// The window manager decides the client area, when it likes: a maximised
// window draws differently, so the replay has to know each answer.
void RecordingWindow::noteSize(int32_t width, int32_t height) const {
    ++query_;
    if (width == recordedWidth_ && height == recordedHeight_) return;
    recordedWidth_ = width;
    recordedHeight_ = height;
    writer_.size(width, height, query_);
}

bool RecordingWindow::clientRect(Rect& out) const {
    if (!inner_.clientRect(out)) {
        noteSize(0, 0);
        return false;
    }
    noteSize(out.width(), out.height());
    return true;
}

void RecordingWindow::clientSize(int32_t& width, int32_t& height) const {
    inner_.clientSize(width, height);
    noteSize(width, height);
}

void RecordingWindow::frameBeneathTexts(const VideoSurface& frame) {
    lastFrame_.copyOf(frame);
    takenBeneath_ = true;
}

bool RecordingWindow::showFrame(const VideoSurface& frame) {
    if (!std::exchange(takenBeneath_, false)) lastFrame_.copyOf(frame);
    ++framesShown_;
    return inner_.showFrame(frame);
}

void RecordingWindow::applyCursor(bool visible) {
    // Move the real window's counter until it agrees.
    for (int i = 0; i < 64 && (inner_.cursorCount() >= 0) != visible; ++i) inner_.showCursor(visible);
}

} // namespace vandrel
