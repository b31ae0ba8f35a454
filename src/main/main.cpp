// Vandrel's entry point: reads the command line, picks the platform, builds
// the game and its sound system, starts up and runs the message loop.
#include "backends/Backend.h"
#include "app/CommandLine.h"
#include "app/FrameLog.h"
#include "app/Game.h"
#include "app/GameHost.h"
#include "app/PlayerControls.h"
#include "data/DataLayout.h"
#include "data/DataSet.h"
#include "main/BuildVersion.h"
#include "system/CloseSignals.h"
#include "base/LoadError.h"
#include "system/MessageBox.h"
#include "system/Process.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"
#include "system/Store.h"
#include "system/SystemLanguage.h"
#include "backends/sdl/SdlWindow.h"
#include "replay/Recorder.h"
#include "replay/Replayer.h"
#include "scores/ScoreLocation.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace {

void reportVideoFailure(const std::string& cause) {
    const std::string text =
        "Die Grafikausgabe konnte auf diesem Computer nicht gestartet werden. F\u00fcr den Betrieb des Vandrels\n"
        "wird " +
        std::string(vandrel::graphicsRequirement()) + " ben\u00f6tigt. Die Ursache lautet:\n" + cause;
    std::fprintf(stderr, "Fehler: %s\n", text.c_str());
    vandrel::showMessageBox("Fehler", text);
}

// A data set is a zip (plain, or behind an executable) holding the game's
// seven entries.
bool holdsDataSet(const std::string& path, std::string& why) {
    if (!std::filesystem::is_regular_file(path)) {
        why = "no such file";
        return false;
    }
    try {
        vandrel::DataSet data(path);
        for (const char* entry : vandrel::entryName::all) {
            if (data.entrySize(entry) <= 0) {
                why = std::string("it has no entry ") + entry;
                return false;
            }
        }
        return true;
    } catch (const vandrel::LoadError&) {
        why = "neither a zip nor an executable with one appended";
        return false;
    }
}

// The game while its message loop runs. The X library ends the process with
// exit() when the X server goes away, from inside whichever call noticed; the
// table is kept on that way out too.
vandrel::Game* runningGame = nullptr;

void keepTableOnExit() {
    if (runningGame) runningGame->saveScores();
}

} // namespace

int main(int argc, char** argv) {
    using namespace vandrel;
    // Answers to options go to the console the game was started from.
    if (argc > 1) attachParentConsole();
    // Everything the player asked for is read before anything starts.
    CommandLine options = CommandLine::parse(argc, argv);
    switch (options.action) {
    case CommandLine::Action::Wrong:
        std::fprintf(stderr, "vandrel: %s\n\n%s", options.error.c_str(), CommandLine::usage().c_str());
        return 2;
    case CommandLine::Action::Help: std::fputs(CommandLine::usage().c_str(), stdout); return 0;
    case CommandLine::Action::Version: std::printf("vandrel %s (%s)\n", version, buildDescription); return 0;
    default: break;
    }
    // The player's settings: a portable copy keeps them beside the executable.
    const std::string exePath = executablePath(argv[0]);
    const SettingsLocation settingsPlace = SettingsLocation::find(options.configFile, exePath);
    if (options.action == CommandLine::Action::WhereSettings) {
        std::printf("%s\n", settingsPlace.describe().c_str());
        return 0;
    }
    // Only a played game reads them: recordings and replays play as the data set says.
    Settings settings;
    if (options.action == CommandLine::Action::Play) {
        settings.load(settingsPlace.file(), std::cerr);
        PlayerControls::fillFromSettings(settings, options);
    }
    // The data set: our own, behind this executable (wherever the system says
    // that is, whatever the command line holds), or the one asked for.
    std::string dataPath = exePath;
    if (!options.dataPath.empty()) {
        // Every loading pass opens it again, so a relative name is pinned down now.
        std::error_code ec;
        const std::filesystem::path full = std::filesystem::absolute(options.dataPath, ec);
        dataPath = ec ? options.dataPath : full.string();
        std::string why;
        if (!holdsDataSet(dataPath, why)) {
            std::fprintf(stderr, "vandrel: %s is not a data set: %s\n", dataPath.c_str(), why.c_str());
            return 1;
        }
    }
    // The store of the high-score tables on this system.
    const std::unique_ptr<Store> store = standardStore();
    // Where the high-score table is kept, for players and packagers.
    if (options.action == CommandLine::Action::WhereScores) {
        std::printf("%s\n", describeScoreLocation(dataPath, *store).c_str());
        return 0;
    }
    // A recorded game played back headless, checked against the recording.
    if (options.action == CommandLine::Action::Replay) return replayFile(options.file, dataPath, std::cout);

    installCloseSignals();
    const BackendKind kind = backendFromEnvironment();
    if (kind == BackendKind::Sdl) installSdlMessageBoxes();

    std::string error;
    std::unique_ptr<Backend> backend = Backend::create(kind, error, options.screen);
    if (!backend) {
        reportVideoFailure(error);
        return 1;
    }

    if (options.action == CommandLine::Action::Record)
        return recordFile(options.file, dataPath, backend->window(), *store, options.fullScreen);

    // The player's keys and kept choices live as long as the game.
    backend->window().setPadTuning(settings.pads());
    PlayerControls controls(settings, settings.firstStart(), systemSpeaksGerman());
    GameHost host(
        HostSetup(backend->window(), *store, dataPath).startFullScreen(options.fullScreen).playerControls(controls));
    // VANDREL_FRAME_LOG=FILE: frame times every ten seconds, for long test runs.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> frameFile(nullptr, &std::fclose);
    std::unique_ptr<FrameLog> frameLog;
    if (const char* path = std::getenv("VANDREL_FRAME_LOG"); path && *path) {
        frameFile.reset(std::fopen(path, "w"));
        if (frameFile) {
            frameLog = std::make_unique<FrameLog>(frameFile.get());
            host.program().setFrameLog(frameLog.get());
        }
    }
    if (!host.program().startUp()) {
        reportVideoFailure("Die Anzeige lie\u00df sich nicht \u00f6ffnen.");
        host.end();
        return 1;
    }
    runningGame = &host.game();
    std::atexit(keepTableOnExit);
    const int exitCode = host.program().run();
    runningGame = nullptr;
    // The table as it stands at the end, the last thing the game leaves behind.
    host.end();
    return exitCode;
}
