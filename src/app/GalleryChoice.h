// The galleries offered to a played game and the one it plays: the start's
// choice (the command line's, the settings file's, else the built-in one),
// the title's switch to the gallery before or after, which the settings file
// keeps for the next start, and the gallery's name and place drawn over the
// title. With a single gallery nothing is drawn and nothing switches.
#pragma once
#include "app/GalleryList.h"
#include "base/Rect.h"
#include "input/Messages.h"

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace vandrel {

class Font;
class Settings;
class VideoSurface;

class GalleryChoice {
public:
    // Chooses among list's offered galleries the one named wanted (none: the
    // built-in one, the first); an unknown name or one whose kit does not
    // compile falls back to the built-in gallery, and report says so. The
    // switches are written to settings (borrowed, may be null).
    GalleryChoice(const GalleryList& list, const std::optional<std::string>& wanted, Settings* settings,
                  std::ostream& report);

    std::size_t count() const { return galleries_.size(); }
    std::size_t chosen() const { return chosen_; }
    const Gallery& current() const { return galleries_[chosen_]; }
    // The data set the chosen gallery plays from.
    const std::string& dataPath() const { return dataPath_; }

    // Which way a message asks to switch: -1 the gallery before, 1 the one
    // after, 0 none. The wheel turned away from the player, and the left
    // arrow, go back; a key held down repeating switches nothing.
    static int stepOf(const Message& m);
    // Chooses the gallery direction steps away, round the list, and keeps it
    // in the settings; its data set, or nothing when no other gallery can be
    // played (one whose kit does not compile is named on report and dropped).
    std::optional<std::string> step(int direction, std::ostream& report);

    // "2 / 3": the chosen gallery's place.
    std::string position() const;
    // The name and place in a box near the top of the title, when there is
    // more than one gallery.
    void drawOverTitle(VideoSurface* target, const Rect& clip, Font& smallFont) const;

private:
    std::vector<Gallery> galleries_;
    std::size_t chosen_ = 0;
    std::string dataPath_;
    GalleryData data_;
    Settings* settings_ = nullptr;
};

} // namespace vandrel
