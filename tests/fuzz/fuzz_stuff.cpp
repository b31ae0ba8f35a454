// Any bytes as the session entry "stuff.x": the quick pass reads the sounds
// and the set-up record, the full pass reads the title and the two screens
// from the entry opened again; then each screen and a round's first head-up
// display are drawn once.
// fuzz-libs: vandrel_game vandrel_backend_null
#include "EntryArchive.h"
#include "game/Session.h"
#include "audio/AudioOutput.h"
#include "base/LoadError.h"
#include "video/VideoDevice.h"
#include "backends/null/MemoryStore.h"
#include "backends/null/NullAudio.h"
#include "sound/SoundSystem.h"

namespace {

struct Rig {
    vandrel::NullAudio audio;
    vandrel::ScopedAudioOutput scope{audio};
    vandrel::SoundSystem sound;
    vandrel::VideoDevice device{vandrel::PixelFormat::xrgb32()};
    std::unique_ptr<vandrel::VideoSurface> screen;
    // The table named by the input is read from here; nothing reaches the disk.
    vandrel::MemoryStore store;

    Rig() {
        sound.init();
        screen = device.createSurface(640, 480);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Rig rig;
    vandrel::fuzz::EntryArchive entry("stuff.x", data, size);
    if (!entry.reader()) return 0;
    vandrel::Session session(rig.store);
    // Each pass ends at the first failure it cannot step over, as the game's do.
    try {
        (void)session.loadSetup(entry.reader());
    } catch (const vandrel::LoadError&) {}
    try {
        if (vandrel::BlockReader* reader = entry.reopen()) {
            (void)session.loadTitle(reader, &rig.device); // the game reads on after a failure too
            (void)session.loadScreens(reader, &rig.device);
        }
    } catch (const vandrel::LoadError&) {}
    const vandrel::Rect clip{0, 0, 640, 480};
    session.showLoadProgress(50);
    session.drawTitle(rig.screen.get(), clip, true);
    session.drawHighScores(rig.screen.get(), clip);
    session.drawCredits(rig.screen.get(), clip);
    session.startRound();
    session.drawHud(rig.screen.get(), clip);
    session.playMusic();
    session.feedMusic();
    return 0;
}
