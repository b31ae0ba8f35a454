// The sound keys, what they say, and handing the levels to the mixer.
#include "app/SoundControls.h"

#include "app/OverlayText.h"
#include "audio/AudioDevice.h"
#include "config/Settings.h"

#include <algorithm>

namespace vandrel {

SoundControls::SoundControls(Settings* settings) : settings_(settings) {
    if (settings_) levels_ = settings_->sound();
}

bool SoundControls::onChar(int32_t c, uint32_t now) {
    if (c == 'm' || c == 'M') {
        levels_.mute = !levels_.mute;
        notice_ = levels_.mute ? "Ton aus" : "Ton an";
    } else if (c == '-' || c == '+' || c == '=') {
        // '=' is the unshifted '+' key of many keyboards. A level change is
        // meant to be heard, so it brings the sound back on.
        // A level between two steps (written by hand) goes to the next step.
        const int32_t step = SoundLevels::step;
        const int32_t level = c == '-' ? (levels_.master - 1) / step * step : (levels_.master / step + 1) * step;
        levels_.master = std::clamp(level, 0, 100);
        levels_.mute = false;
        notice_ = "Lautst\u00e4rke " + std::to_string(levels_.master) + " %";
    } else {
        return false;
    }
    changed(now);
    return true;
}

void SoundControls::changed(uint32_t now) {
    noticeStart_ = now;
    dirty_ = true;
    if (settings_) settings_->setSound(levels_);
}

void SoundControls::setFocused(bool focused) {
    if (focused == focused_) return;
    focused_ = focused;
    dirty_ = true;
}

void SoundControls::apply(AudioDevice* device) {
    if (device != device_) dirty_ = true;
    device_ = device;
    if (!dirty_ || !device) return;
    device->setLevels(levels_);
    device->setFocused(focused_);
    dirty_ = false;
}

std::string SoundControls::notice(uint32_t now) const {
    if (notice_.empty() || now - noticeStart_ >= noticeMs) return {};
    return notice_;
}

void SoundControls::drawNotice(VideoSurface* target, const Rect& clip, Font& font, uint32_t now) {
    const std::string text = notice(now);
    if (text.empty()) return;
    OverlayText::drawBox(target, clip, font, clip.top + 4, {text});
}

} // namespace vandrel
