// Vandrel's entry point: reads the command line and the player's settings,
// answers the commands that play nothing, picks the backend and runs the
// game's message loop (or records or replays a game).
#include "app/CommandLine.h"
#include "app/FrameLog.h"
#include "app/GalleryChoice.h"
#include "app/GameHost.h"
#include "app/MakerCommands.h"
#include "backends/Backend.h"
#include "backends/sdl/SdlWindow.h"
#include "config/Settings.h"
#include "config/SettingsLocation.h"
#include "main/BuildVersion.h"
#include "replay/Recorder.h"
#include "replay/Replayer.h"
#include "replay/RoundKeeper.h"
#include "replay/RoundShelf.h"
#include "scores/ScoreLocation.h"
#include "system/CloseSignals.h"
#include "system/MessageBox.h"
#include "system/Process.h"
#include "system/Store.h"

#include <cstdio>
#include <iostream>

// Finished rounds are kept unless the player says no; on Windows only when
// the player says yes: there the recorded loop has been seen to miss a
// round's shots under Wine, and the plain loop is the one proven.
#if defined(_WIN32)
constexpr bool keepRoundsUnlessTold = false;
#else
constexpr bool keepRoundsUnlessTold = true;
#endif

int main(int argc, char** argv) {
    using namespace vandrel;
    using Action = CommandLine::Action;
    // Answers to options go to the console the game was started from; the
    // whole command line is read before anything starts.
    if (argc > 1) attachParentConsole();
    const CommandLine options = CommandLine::parse(argc, argv);
    if (options.action == Action::Wrong)
        std::fprintf(stderr, "vandrel: %s\n\n%s", options.error.c_str(), CommandLine::usage().c_str());
    if (options.action == Action::Help) std::fputs(CommandLine::usage().c_str(), stdout);
    if (options.action == Action::Version) std::printf("vandrel %s (%s)\n", version, buildDescription);
    if (options.action == Action::Wrong || options.action == Action::Help || options.action == Action::Version)
        return options.action == Action::Wrong ? 2 : 0;
    // A portable copy keeps its settings beside the executable.
    const std::string exePath = executablePath(argv[0]);
    if (const std::optional<int> done = runMakerCommand(options, exePath)) return *done;
    const SettingsLocation settingsPlace = SettingsLocation::find(options.configFile, exePath);
    if (options.action == Action::WhereSettings) return std::printf("%s\n", settingsPlace.describe().c_str()) < 0;
    const RoundShelf shelf(RoundShelf::folderBeside(settingsPlace.file()));
    if (options.action == Action::Rounds) return listRounds(shelf, std::cout);
    if (options.action == Action::ShareLink) {
        Settings file;
        file.load(settingsPlace.file(), std::cerr);
        const std::optional<std::string> base = options.settings.over(file.values()).text(option("share_base"));
        return printShareLink(options.file, base.value_or(""), std::cout, std::cerr);
    }
    // Only a played game reads them: recordings and replays play as the data
    // set says, with the rounds' options of a recording's command line.
    Settings settings;
    if (options.action == Action::Play) settings.load(settingsPlace.file(), std::cerr);
    if (options.action == Action::ListGalleries) {
        const GalleryList list = findGalleries(exePath, settingsPlace.file());
        return std::fputs(list.describe().c_str(), stdout) < 0;
    }
    const SettingValues chosen = options.settings.over(settings.values());
    // A played game without --data plays the gallery chosen (the command
    // line's, the file's, else the built-in one) and switches on the title.
    std::optional<GalleryChoice> galleries;
    if (options.action == Action::Play && options.dataPath.empty())
        galleries.emplace(findGalleries(exePath, settingsPlace.file()), chosen.text(option("gallery")), &settings,
                          std::cerr);
    // A kit is compiled first; one with errors is named on stderr and plays nothing.
    const std::string dataPath = galleries ? galleries->dataPath() : playableDataSet(options, exePath);
    if (dataPath.empty()) return 1;
    const std::unique_ptr<Store> store = standardStore();
    if (options.action == Action::WhereScores)
        return std::printf("%s\n", describeScoreLocation(dataPath, *store).c_str()) < 0;
    // A recorded game played back headless, checked against the recording.
    if (options.action == Action::Replay) return replayFile(options.file, dataPath, std::cout);

    installCloseSignals();
    const BackendKind kind = backendFromEnvironment();
    if (kind == BackendKind::Sdl) installSdlMessageBoxes();
    std::string error;
    const std::unique_ptr<Backend> backend = Backend::create(kind, error, chosen.screen());
    if (!backend) reportGraphicsFailure(error);
    if (!backend) return 1;
    if (options.action == Action::Watch) return watchFile(options.file, dataPath, backend->window(), std::cout);
    if (options.action == Action::Record)
        return recordFile(options.file, dataPath, backend->window(), *store, options.settings.fullScreen(),
                          playOptionsOf(options.settings));

    const std::unique_ptr<FrameLog> frameLog = FrameLog::fromEnvironment();
    if (chosen.flag(option("record_rounds")).value_or(keepRoundsUnlessTold)) {
        // The same game, recorded in memory so every finished round is kept.
        if (const std::optional<int> code =
                playKeepingRounds(dataPath, backend->window(), *store, settings, options.settings, frameLog.get(),
                                  shelf, galleries ? &*galleries : nullptr))
            return *code;
        reportGraphicsFailure("Die Anzeige lie\u00df sich nicht \u00f6ffnen.");
        return 1;
    }
    GameHost host(HostSetup(backend->window(), *store, dataPath)
                      .player(settings, options.settings)
                      .galleries(galleries ? &*galleries : nullptr)
                      .frameLog(frameLog.get()));
    if (host.program().startUp()) return host.runToEnd();
    reportGraphicsFailure("Die Anzeige lie\u00df sich nicht \u00f6ffnen.");
    host.end();
    return 1;
}
