// A shared round replayed in the page: the link's round (the page's address
// with `#round=`, or a recording dropped onto the page) is read with every
// check an untrusted link needs, played on the canvas at the pace it was
// played, and its end told to the page: the score the replay reached, the
// score the recording names and whether the replay went as recorded. The
// page draws its own banner over the picture; the frames are the game's.
#pragma once
#include "replay/ReplayLog.h"
#include "replay/Replayer.h"

#include <cstdint>
#include <memory>
#include <sstream>
#include <string>

namespace vandrel {

class Backend;

class PageReplay {
public:
    // Whether the page was opened with a round to replay.
    static bool requested();
    // Reads the round and hands the replay's frames to the browser; a round
    // that cannot be replayed is told to the page instead. The exit status
    // of main.
    static int run(const char* dataSet);

    ~PageReplay();

private:
    PageReplay() = default;
    static void frame();
    void end();

    std::unique_ptr<Backend> backend_;
    ReplayLog log_;
    std::unique_ptr<Replayer> replayer_;
    std::ostringstream report_;
    // The score the recording names for its last round; -1 when it names none.
    int32_t claimed_ = -1;
    double startMs_ = 0;
};

} // namespace vandrel
