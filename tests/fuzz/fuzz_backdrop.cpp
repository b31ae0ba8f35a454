// Any bytes as the landscape entry "back.nb": the image-list loader fills the
// backdrop, then every layer is drawn at both scroll ends and hit-tested.
// fuzz-libs: vandrel_game vandrel_backend_null
#include "EntryArchive.h"
#include "game/Backdrop.h"
#include "gfx/ImageLoader.h"
#include "video/VideoDevice.h"

#include <cstdlib>

namespace {

struct Rig {
    vandrel::VideoDevice device{vandrel::PixelFormat::xrgb32()};
    std::unique_ptr<vandrel::VideoSurface> screen = device.createSurface(640, 480);
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    vandrel::fuzz::EntryArchive entry("back.nb", data, size);
    if (!entry.reader()) return 0;
    vandrel::Backdrop backdrop;
    (void)vandrel::loadImageList(entry.reader(), &backdrop, &rig.device); // what was read before a failure is drawn
    const int32_t widest = backdrop.maxLayerWidth();
    for (int32_t scroll : {0, widest > 640 ? widest - 640 : 0}) {
        for (int32_t layer = 0; layer < 6; ++layer) {
            vandrel::Rect clip{0, 0, 640, 480};
            (void)backdrop.drawLayer(rig.screen.get(), clip, scroll, layer, 640, 480);
        }
        const int32_t hit = backdrop.hitLayer(320, 240);
        if (hit < -1 || hit >= backdrop.layerCount()) std::abort();
    }
    return 0;
}
