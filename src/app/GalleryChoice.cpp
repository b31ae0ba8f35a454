// Choosing the gallery at the start and switching it on the title.
#include "app/GalleryChoice.h"

#include "app/OverlayText.h"
#include "config/Settings.h"

#include <ostream>

namespace vandrel {

GalleryChoice::GalleryChoice(const GalleryList& list, const std::optional<std::string>& wanted, Settings* settings,
                             std::ostream& report)
    : galleries_(list.offered()), settings_(settings) {
    if (galleries_.empty()) return;
    if (wanted) {
        const int place = list.find(*wanted);
        if (place < 0)
            report << "vandrel: no gallery is called \"" << *wanted
                   << "\" (vandrel --list-galleries lists them); the built-in one is played\n";
        else
            chosen_ = static_cast<std::size_t>(place);
    }
    std::string why;
    dataPath_ = data_.playable(current(), why);
    if (dataPath_.empty()) {
        report << "vandrel: the gallery \"" << current().name << "\" cannot be played: " << why
               << "; the built-in one is played\n";
        galleries_.erase(galleries_.begin() + static_cast<std::ptrdiff_t>(chosen_));
        chosen_ = 0;
        // The built-in gallery is a data set, played as it is.
        dataPath_ = data_.playable(current(), why);
    }
}

int GalleryChoice::stepOf(const Message& m) {
    switch (m.message) {
    case msg::MouseWheel: {
        const int32_t turn = wheelParamTurn(m.wParam);
        return turn > 0 ? -1 : turn < 0 ? 1 : 0;
    }
    case msg::KeyDown:
        if ((m.lParam & keyRepeated) != 0) return 0;
        if (m.wParam == vk::Left) return -1;
        if (m.wParam == vk::Right) return 1;
        return 0;
    default: return 0;
    }
}

std::optional<std::string> GalleryChoice::step(int direction, std::ostream& report) {
    while (galleries_.size() > 1 && direction != 0) {
        const std::size_t n = galleries_.size();
        const std::size_t next = (chosen_ + (direction < 0 ? n - 1 : 1)) % n;
        std::string why;
        std::string path = data_.playable(galleries_[next], why);
        if (!path.empty()) {
            chosen_ = next;
            dataPath_ = std::move(path);
            if (settings_) settings_->changeText(option("gallery"), current().name);
            return dataPath_;
        }
        // Dropped, and the walk goes on to its neighbour the same way round.
        report << "vandrel: the gallery \"" << galleries_[next].name << "\" cannot be played: " << why << "\n";
        galleries_.erase(galleries_.begin() + static_cast<std::ptrdiff_t>(next));
        if (next < chosen_) --chosen_;
    }
    return std::nullopt;
}

std::string GalleryChoice::position() const {
    return std::to_string(chosen_ + 1) + " / " + std::to_string(galleries_.size());
}

void GalleryChoice::drawOverTitle(VideoSurface* target, const Rect& clip, Font& smallFont) const {
    if (galleries_.size() < 2) return;
    // Under the sound notice's place at the top, clear of the title's name
    // and of the hint low on the title.
    const std::string place = position();
    const int32_t top = clip.top + 4 + OverlayText::boxHeight(smallFont, 1) + 4;
    OverlayText::drawBox(target, clip, smallFont, top, {current().name, place});
}

} // namespace vandrel
