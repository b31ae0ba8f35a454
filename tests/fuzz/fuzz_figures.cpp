// Any bytes as the figure entry "figur.xx": the figure manager loads it as the
// full loading pass does, then a round starts, every layer is moved and drawn
// and then shot at, so loaded data that a round cannot use shows up as well.
// fuzz-libs: vandrel_game vandrel_backend_null
#include "EntryArchive.h"
#include "game/FigureManager.h"
#include "game/Session.h"
#include "audio/AudioOutput.h"
#include "base/Clock.h"
#include "video/VideoDevice.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "sound/SoundSystem.h"

namespace {

struct Rig {
    vandrel::NullAudio audio;
    vandrel::ScopedAudioOutput scope{audio};
    vandrel::SoundSystem sound;
    // Full screen runs at 16 bits (5-6-5); the figures' frames are made in it.
    vandrel::VideoDevice device{vandrel::PixelFormat::rgb565()};
    std::unique_ptr<vandrel::VideoSurface> screen;
    vandrel::MemoryStore store;
    vandrel::Session session{store};

    Rig() {
        sound.init();
        screen = device.createSurface(640, 480);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    vandrel::fuzz::EntryArchive entry("figur.xx", data, size);
    if (!entry.reader()) return 0;
    vandrel::FigureManager figures;
    if (figures.load(entry.reader(), &rig.device)) {
        figures.startRound();
        const vandrel::Rect clip{0, 0, 640, 480};
        const uint32_t now = vandrel::tickCount();
        for (int32_t layer = 0; layer < vandrel::FigureManager::layerCount; ++layer)
            figures.updateLayer(layer, now, 0.5f, 100, rig.screen.get(), &clip, 2880, 640, nullptr);
        // Shots across the screen, front layer first, as a click tests them.
        for (int32_t x = 0; x < 640; x += 37) {
            for (int32_t layer = vandrel::FigureManager::layerCount - 1; layer >= 0; --layer) {
                if (figures.hitTestLayer(layer, x, 40 + (x * 7) % 400, -1, rig.session)) break;
            }
        }
    }
    figures.clear();
    return 0;
}
