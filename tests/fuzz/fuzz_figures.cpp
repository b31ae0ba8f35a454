// Any bytes as the figure entry "figur.xx": the figure manager loads it as the
// full loading pass does, then a round starts and every layer is moved and
// drawn once, so loaded data that a round cannot use shows up as well.
// fuzz-libs: vandrel_game vandrel_platform_null
#include "EntryArchive.h"
#include "game/FigureManager.h"
#include "platform/AudioOutput.h"
#include "platform/Clock.h"
#include "platform/VideoDevice.h"
#include "platform/null/NullAudio.h"
#include "sound/SoundSystem.h"

namespace {

struct Rig {
    vandrel::NullAudio audio;
    vandrel::ScopedAudioOutput scope{audio};
    vandrel::SoundSystem sound;
    // Full screen runs at 16 bits (5-6-5); the figures' frames are made in it.
    vandrel::VideoDevice device{vandrel::PixelFormat::rgb565()};
    std::unique_ptr<vandrel::VideoSurface> screen;

    Rig() {
        sound.init();
        screen = device.createSurface(640, 480);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    vandrel::fuzz::EntryArchive entry("figur.xx", data, size);
    if (!entry.reader())
        return 0;
    vandrel::FigureManager figures;
    if (figures.load(entry.reader(), &rig.device)) {
        figures.startRound();
        const vandrel::Rect clip{0, 0, 640, 480};
        const uint32_t now = vandrel::tickCount();
        for (int32_t layer = 0; layer < vandrel::FigureManager::layerCount; ++layer)
            figures.updateLayer(layer, now, 0.5f, 100, rig.screen.get(), &clip, 2880, 640, nullptr);
    }
    figures.clear();
    return 0;
}
