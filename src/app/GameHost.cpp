// Puts the game, its sound system, the player's controls and the program
// together, and takes them apart in the one order that is safe.
#include "app/GameHost.h"

#include "config/Settings.h"
#include "system/SystemLanguage.h"
#include "video/Window.h"

#include <array>
#include <cstddef>
#include <cstdlib>

namespace vandrel {

namespace {

// The game while a desktop's loop runs, for the exit() way out.
Game* runningGame = nullptr;

void keepTableOnExit() {
    if (runningGame) runningGame->saveScores();
}

// A browser's page is hidden when the player turns to another tab or takes a
// call, and a round's clock should not run on then; on the desktop the round
// runs on while minimised unless the player asks otherwise.
#if defined(__EMSCRIPTEN__)
constexpr bool hiddenPagePauses = true;
#else
constexpr bool hiddenPagePauses = false;
#endif

CursorStyle cursorStyleOf(const SettingValues& values) {
    CursorStyle style;
    style.percent = std::array{100, 150, 200}.at(static_cast<std::size_t>(values.valueOr(option("crosshair_size"))));
    style.outline = values.valueOr(option("crosshair_outline")) != 0;
    style.colour = values.valueOr(option("crosshair_colour"));
    return style;
}

} // namespace

PlayOptions playOptionsOf(const SettingValues& values) {
    PlayOptions play;
    play.speedPercent = std::array{100, 85, 70, 50}.at(static_cast<std::size_t>(values.valueOr(option("game_speed"))));
    play.roundSeconds = std::array{0, 180, 300}.at(static_cast<std::size_t>(values.valueOr(option("round_length"))));
    play.autoReload = values.valueOr(option("auto_reload")) != 0;
    play.practice = values.valueOr(option("practice")) != 0;
    play.cursor = cursorStyleOf(values);
    return play;
}

GameHost::GameHost(const HostSetup& setup) {
    if (setup.audio_) output_.emplace(*setup.audio_);
    ProgramOptions options;
    options.startFullScreen = setup.startFullScreen_;
    options.loadInFrames = setup.loadInFrames_;
    options.frameLog = setup.frameLog_;
    SettingValues chosen;
    if (setup.settings_) {
        chosen = setup.commandLine_.over(setup.settings_->values());
        setup.window_.setPadTuning(chosen.pads());
        const bool hint = setup.hint_ && setup.settings_->firstStart();
        controls_ = std::make_unique<PlayerControls>(*setup.settings_, hint, hint && systemSpeaksGerman());
        options.controls = controls_.get();
        controls_->setGalleries(setup.galleries_);
        options.galleries = setup.galleries_;
        if (!options.startFullScreen) options.startFullScreen = chosen.fullScreen();
    }
    game_ = std::make_unique<Game>(setup.store_, setup.dataPath_, setup.loadOnSecondThread_, controls_.get());
    window_ = &setup.window_;
    settings_ = setup.settings_;
    commandLine_ = setup.commandLine_;
    if (settings_) applyChoices(chosen);
    // The rounds' options hold for the whole run: they chose the table the
    // scores go to when it was loaded.
    if (setup.play_)
        game_->setPlayOptions(*setup.play_);
    else if (settings_)
        game_->setPlayOptions(playOptionsOf(chosen));
    sound_ = std::make_unique<SoundSystem>();
    program_ = std::make_unique<Program>(*game_, *sound_, setup.window_, options);
}

void GameHost::applyChoices(const SettingValues& chosen) {
    game_->setCursorStyle(cursorStyleOf(chosen));
    game_->setPauseWhenHidden(chosen.flag(option("pause_when_hidden")).value_or(hiddenPagePauses));
    window_->setHaptics(chosen.valueOr(option("haptics")) != 0);
    window_->setLeftHanded(chosen.valueOr(option("touch_layout")) == 1);
}

void GameHost::settingsChanged() {
    if (settings_ && game_) applyChoices(commandLine_.over(settings_->values()));
}

GameHost::~GameHost() {
    program_.reset();
    sound_.reset();
    game_.reset();
    controls_.reset();
}

void GameHost::keepTableOnExit(bool keep) {
    runningGame = keep ? game_.get() : nullptr;
    static const bool hooked = std::atexit(vandrel::keepTableOnExit) == 0;
    (void)hooked;
}

int GameHost::runToEnd() {
    keepTableOnExit(true);
    const int exitCode = program_->run();
    keepTableOnExit(false);
    // The table as it stands at the end, the last thing the game leaves behind.
    end();
    return exitCode;
}

bool GameHost::end() {
    if (!game_) return false;
    if (!program_->ended()) {
        game_->releaseAll();
        sound_->shutdown();
    }
    const bool saved = game_->saveScores();
    program_.reset();
    sound_.reset();
    game_.reset();
    controls_.reset();
    return saved;
}

} // namespace vandrel
