// A window that stands in front of the real one while a game is recorded: it
// passes everything through, writes each message the window system delivers
// (and every turn of the loop) to the recording, and keeps the last frame shown
// as the game drew it (the player's texts over it are left out: a replay has none).
#pragma once
#include "backends/null/NullWindow.h"
#include "video/Window.h"

#include <vector>

namespace vandrel {

class ReplayWriter;

class RecordingWindow : public Window {
public:
    RecordingWindow(Window& inner, ReplayWriter& writer) : inner_(inner), writer_(writer) {}

    // Every call of the message loop's turn: the system's messages go to the
    // recording and into this window's queue, then the turn is written at the
    // current tick.
    void pumpEvents() override;
    // Messages that arrive while waiting belong to the next turn.
    void waitEvents(uint32_t timeoutMs) override;

    // Every question for the size is counted within its turn; a different
    // answer goes to the recording with its number.
    bool clientRect(Rect& out) const override;
    void setFullScreen(bool fullScreen) override { inner_.setFullScreen(fullScreen); }
    void setClientSize(int32_t width, int32_t height) override { inner_.setClientSize(width, height); }
    void show() override { inner_.show(); }
    void setTextEntry(bool active) override { inner_.setTextEntry(active); }
    void setTextEntryFull(bool full) override { inner_.setTextEntryFull(full); }
    void setMagazineArea(const Rect& area) override { inner_.setMagazineArea(area); }
    // How the real window turns touches and pads into messages: the messages
    // are what the recording keeps, so a replay needs none of these.
    void setPadTuning(const PadTuning& tuning) override { inner_.setPadTuning(tuning); }
    void setRoundShown(const RoundShown& shown) override { inner_.setRoundShown(shown); }
    void setHaptics(bool on) override { inner_.setHaptics(on); }
    void setLeftHanded(bool leftHanded) override { inner_.setLeftHanded(leftHanded); }
    // Only the player's texts over the frame ask, never the recorded frame.
    InputDevice lastDevice() const override { return inner_.lastDevice(); }
    void destroy() override { inner_.destroy(); }
    bool isDestroyed() const override { return inner_.isDestroyed(); }

    bool setVideoMode(bool fullScreen, int32_t width, int32_t height) override {
        return inner_.setVideoMode(fullScreen, width, height);
    }
    bool showFrame(const VideoSurface& frame) override;
    // The frame the checkpoints hash: the game's, without the player's texts.
    void frameBeneathTexts(const VideoSurface& frame) override;
    void clientSize(int32_t& width, int32_t& height) const override;

    const ShownFrame& lastFrame() const { return lastFrame_; }
    uint32_t framesShown() const { return framesShown_; }

protected:
    void applyCursor(bool visible) override;

private:
    void takeMessages(bool write);
    void noteSize(int32_t width, int32_t height) const;

    Window& inner_;
    ReplayWriter& writer_;
    std::vector<Message> waited_;
    ShownFrame lastFrame_;
    uint32_t framesShown_ = 0;
    bool takenBeneath_ = false;
    mutable uint32_t query_ = 0;
    mutable int32_t recordedWidth_ = -1;
    mutable int32_t recordedHeight_ = -1;
};

} // namespace vandrel
