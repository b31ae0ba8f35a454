// Any bytes as one of the single-picture entries: the cross-hair "cur.nl" and
// the cartridge "muni.nl" through the picture-pair loader, the two fonts
// "font.nl" and "fonts.nl" through the font loader, each then drawn.
// fuzz-libs: vandrel_game vandrel_platform_null
#include "EntryArchive.h"
#include "game/Session.h"
#include "platform/VideoDevice.h"

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
    const bool sixteen = size % 2 == 1;
    vandrel::VideoDevice& device = sixteen ? rig.narrow : rig.wide;
    vandrel::VideoSurface* screen = sixteen ? rig.narrowScreen.get() : rig.wideScreen.get();
    const vandrel::Rect clip{0, 0, 640, 480};

    vandrel::Session session;
    {
        vandrel::fuzz::EntryArchive entry("cur.nl", data, size);
        if (!entry.reader())
            return 0;
        session.loadCursor(entry.reader(), &device);
        session.drawCursor(screen, clip, 5, 470, &device);
    }
    {
        vandrel::fuzz::EntryArchive entry("muni.nl", data, size);
        if (session.loadAmmoImage(entry.reader(), &device))
            session.ammoImage.blit(screen, clip, 600, 440, true, 100.0f);
    }
    {
        vandrel::fuzz::EntryArchive entry("font.nl", data, size);
        session.loadLargeFont(entry.reader(), &device);
    }
    {
        vandrel::fuzz::EntryArchive entry("fonts.nl", data, size);
        session.loadSmallFont(entry.reader(), &device);
    }
    session.largeFont.drawText(screen, clip, -10, 200, "0123456789 AZaz:.!", false);
    session.smallFont.drawText(screen, clip, 630, 470, "Zeit 0:59 Punkte", true);
    return 0;
}
