// Vandrel's entry point: picks the platform, builds the game and its sound
// system, starts up and runs the message loop.
#include "app/Backend.h"
#include "app/Game.h"
#include "app/Program.h"
#include "app/Recorder.h"
#include "app/Replayer.h"
#include "platform/MessageBox.h"
#include "platform/sdl/SdlWindow.h"
#include "scores/ScoreLocation.h"
#include "sound/SoundSystem.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace {

// The archive sits behind our own executable. The system knows where that
// is, whatever the command line holds.
std::string executablePath(const char* argv0) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec && !p.empty()) return p.string();
    return argv0 ? argv0 : "";
}

void reportVideoFailure(const std::string& cause) {
    const std::string text =
        "Die Grafikausgabe konnte auf diesem Computer nicht gestartet werden. F\u00fcr den Betrieb des Vandrels\n"
        "wird eine laufende Grafikoberfl\u00e4che (X11 oder Wayland) ben\u00f6tigt. Die Ursache lautet:\n" +
        cause;
    std::fprintf(stderr, "Fehler: %s\n", text.c_str());
    vandrel::showMessageBox("Fehler", text);
}

} // namespace

int main(int argc, char** argv) {
    using namespace vandrel;
    // The one option: where the high-score table is kept, for players and packagers.
    if (argc == 2 && std::string_view(argv[1]) == "--where-scores") {
        std::printf("%s\n", describeScoreLocation(executablePath(argv[0])).c_str());
        return 0;
    }
    const std::string_view option = argc >= 2 ? argv[1] : "";
    if ((option == "--record" || option == "--replay") && argc != 3) {
        std::fprintf(stderr, "usage: vandrel --record FILE | --replay FILE\n");
        return 2;
    }
    // A recorded game played back headless, checked against the recording.
    if (argc == 3 && std::string_view(argv[1]) == "--replay")
        return replayFile(argv[2], executablePath(argv[0]), std::cout);
    const bool recording = argc == 3 && std::string_view(argv[1]) == "--record";
    const BackendKind kind = backendFromEnvironment();
    if (kind == BackendKind::Sdl) installSdlMessageBoxes();

    std::string error;
    std::unique_ptr<Backend> backend = Backend::create(kind, error);
    if (!backend) {
        reportVideoFailure(error);
        return 1;
    }

    if (recording) return recordFile(argv[2], executablePath(argv[0]), backend->window());

    // The game first, its sound system second, so the sound goes first at exit.
    auto game = std::make_unique<Game>();
    auto sound = std::make_unique<SoundSystem>();
    game->exePath = executablePath(argv[0]);

    Program program(*game, *sound, backend->window());
    if (!program.startUp()) {
        reportVideoFailure("Die Anzeige lie\u00df sich nicht \u00f6ffnen.");
        return 1;
    }
    return program.run();
}
