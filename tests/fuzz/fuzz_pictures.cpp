// Any bytes as one of the single-picture entries, each loaded by the session
// and drawn as the game draws it: the cross-hair "cur.nl", the cartridge
// "muni.nl", the large font "font.nl" and the small font "fonts.nl". All four
// go through the one picture loader, so an input plays one part, chosen by
// its length, and the window's 32-bit and full screen's 16-bit surfaces take
// turns.
// fuzz-libs: vandrel_game vandrel_backend_null
#include "EntryArchive.h"
#include "game/Session.h"
#include "video/VideoDevice.h"
#include "backends/null/MemoryStore.h"
#include "support/SessionProbe.h"

namespace {

struct Rig {
    // The window's 32-bit surfaces and full screen's 16-bit ones take
    // different conversions; the inputs alternate between them.
    vandrel::VideoDevice wide{vandrel::PixelFormat::xrgb32()};
    vandrel::VideoDevice narrow{vandrel::PixelFormat::rgb565()};
    std::unique_ptr<vandrel::VideoSurface> wideScreen = wide.createSurface(640, 480);
    std::unique_ptr<vandrel::VideoSurface> narrowScreen = narrow.createSurface(640, 480);
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    const size_t part = size % 4;
    const bool sixteen = part % 2 == 1;
    vandrel::VideoDevice& device = sixteen ? rig.narrow : rig.wide;
    vandrel::VideoSurface* screen = sixteen ? rig.narrowScreen.get() : rig.wideScreen.get();
    const vandrel::Rect clip{0, 0, 640, 480};
    static const char* const entries[] = {"cur.nl", "muni.nl", "font.nl", "fonts.nl"};

    vandrel::fuzz::EntryArchive entry(entries[part], data, size);
    if (!entry.reader()) return 0;
    vandrel::MemoryStore store;
    vandrel::Session session(store);
    switch (part) {
    case 0:
        if (session.loadCursor(entry.reader(), &device)) {
            // Centred on points near every edge, so the picture hangs over them.
            session.drawCursor(screen, clip, 5, 470, &device);
            session.drawCursor(screen, clip, 635, 3, &device);
        }
        break;
    case 1:
        if (session.loadAmmoImage(entry.reader(), &device)) {
            for (int32_t i = 0; i < 10; ++i)
                vandrel::SessionProbe::ammoImage(session).blit(screen, clip, 640 - 30 * i, 440, true, 100.0f);
        }
        break;
    case 2:
        if (session.loadLargeFont(entry.reader(), &device)) {
            session.largeFont().drawText(screen, clip, -10, 200, "0123456789 AZaz:.!", false);
            session.largeFont().drawText(screen, clip, 600, 460, "SCORE: 001234", true);
        }
        break;
    default:
        if (session.loadSmallFont(entry.reader(), &device))
            session.smallFont().drawText(screen, clip, 630, 470, "TIME: Vandrel 0:59", true);
        break;
    }
    return 0;
}
