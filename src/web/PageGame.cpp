// Starting the game in a page and running its frames.
#include "PageGame.h"

#include "base/Clock.h"
#include "base/Presentation.h"
#include "config/SettingsLocation.h"
#include "data/SetupRecord.h"
#include "link/RoundLink.h"
#include "replay/RoundShelf.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>
#include <utility>

namespace vandrel {

std::unique_ptr<PageGame> PageGame::start(const char* dataSet, std::string& error) {
    std::unique_ptr<PageGame> game(new PageGame());
    // The canvas is the frame, 640 x 480; the page scales it, and the
    // browser's full screen is the page's to ask for.
    game->backend_ = Backend::create(BackendKind::Sdl, error, ScreenOptions{.windowScale = 1});
    if (!game->backend_) return nullptr;
    game->store_ = standardStore();
    // The levels, mute and pads; the screen mode is the page's, so the
    // file's is left alone, and the page's help line, not the hint, says how
    // to play. A page may enter full screen only on a click or key of the
    // player's, so the game starts in the page whatever its set-up record
    // says. The loading screen is seen filling with colour: the pass runs over
    // the browser's first frames instead of before the first one.
    const std::filesystem::path settingsFile = SettingsLocation::find("", "").file();
    game->settings_.load(settingsFile, std::cerr);
    const bool keepRounds = game->settings_.values().flag(vandrel::option("record_rounds")).value_or(true);
    bool started = false;
    if (keepRounds) {
        game->keeper_ = std::make_unique<RoundKeeper>(RoundShelf(RoundShelf::folderBeside(settingsFile)),
                                                      readTableName(dataSet).value_or("?"));
        game->startTick_ = tickCount();
        game->startMs_ = emscripten_get_now();
        // The rounds' options go into the recording, so it replays as played.
        game->recordedPlay_ = playOptionsOf(game->settings_.values());
        game->recorder_ = std::make_unique<Recorder>(
            game->backend_->window(), game->recordingOut_, dataSet, game->startTick_, *game->store_, false,
            game->recordedPlay_, [&](HostSetup& setup) { setup.player(game->settings_, {}, false).loadInFrames(); });
        started = game->recorder_->startUp();
    } else {
        game->host_ = std::make_unique<GameHost>(HostSetup(game->backend_->window(), *game->store_, dataSet)
                                                     .player(game->settings_, {}, false)
                                                     .startFullScreen(false)
                                                     .loadInFrames());
        started = game->host_->program().startUp();
    }
    if (!started) {
        error = "the display could not be opened";
        return nullptr;
    }
    PageBridge::attach(&game->backend_->window());
    return game;
}

void PageGame::tellPage(const char* event, int value, const std::string& text) {
    EM_ASM(
        {
            if (Module.onGameEvent) Module.onGameEvent(UTF8ToString($0), $1, UTF8ToString($2));
        },
        event, value, text.c_str());
}

namespace {

// The table's entry of a name, or none.
std::optional<OptionId> optionNamed(std::string_view name) {
    for (std::size_t i = 0; i < settingsCount; ++i)
        if (settingsTable[i].name == name) return OptionId{i};
    return std::nullopt;
}

} // namespace

std::string PageGame::option(std::string_view name) const {
    const auto id = optionNamed(name);
    if (!id) return {};
    if (id->option().kind == OptionKind::Text)
        return settings_.values().text(*id).value_or(std::string(id->option().shownText));
    if (const auto value = settings_.values().get(*id)) return optionText(id->option(), *value);
    return id->option().hasDefault ? optionText(id->option(), id->option().shown) : std::string();
}

bool PageGame::choose(std::string_view name, std::string_view value) {
    const auto id = optionNamed(name);
    if (!id) return false;
    const auto read = readOption(id->option(), value);
    if (!read) return false;
    const bool written = settings_.choose(*id, *read);
    host().settingsChanged();
    // A round played with other options than the recording names would not
    // replay as played: the rounds of this session are kept no more.
    if (keeper_ && playOptionsOf(settings_.values()) != recordedPlay_ && std::exchange(keeping_, false))
        std::fprintf(stderr, "vandrel: the rounds' options changed; rounds are kept again from the next game\n");
    return written;
}

PageGame::~PageGame() {
    PageBridge::attach(nullptr);
    // As the desktop's game ends: the table is stored, a row whose name was
    // left with Escape included, before the game is let go. A refused save
    // has been said on stderr; the page offers another game all the same.
    if (recorder_) recorder_->finish();
    if (host_) static_cast<void>(host_->end());
    recorder_.reset();
    keeper_.reset();
    host_.reset();
    backend_.reset();
    store_.reset();
}

bool PageGame::frame(int& exitCode) {
    if (recorder_) return recordedFrame(exitCode);
    if (!host_->program().stepFrame(exitCode)) return false;
    bridge_.afterFrame(host_->game());
    return true;
}

bool PageGame::recordedFrame(int& exitCode) {
    // The loading screen fills over the first frames, as without the recorder.
    if (recorder_->continueLoad(Program::loadSliceMs)) return true;
    const auto tick = startTick_ + static_cast<uint32_t>(emscripten_get_now() - startMs_);
    // Every message that waits, each a turn of the loop, then the turn that
    // draws: as the page's own frame does it. A game that does not draw
    // (hidden) takes one turn; a flood of messages no more than the limit.
    constexpr int maxTurns = 64;
    bool going = true;
    for (int turn = 0; going && turn < maxTurns; ++turn) {
        const uint32_t frames = recorder_->window().framesShown();
        going = recorder_->step(tick);
        if (recorder_->window().framesShown() != frames || !recorder_->game().active()) break;
    }
    if (!going) {
        exitCode = recorder_->finish();
        return false;
    }
    bridge_.afterFrame(recorder_->game());
    if (keeping_ && keeper_->afterTurn(recorder_->game().state(), recording_)) tellKept();
    return true;
}

void PageGame::tellKept() {
    const std::string& round = keeper_->lastRound();
    std::istringstream in(round);
    KeptRound kept;
    const bool finished = describeKeptRound(in, kept);
    // Too long for a link (a whole evening's session): the page says so.
    const bool fits = finished && round.size() <= roundLink::maxRecordingBytes;
    tellPage("roundKept", kept.score, fits ? roundLink::link("", round) : std::string());
}

} // namespace vandrel
