// Starting the game in a page and running its frames.
#include "PageGame.h"

#include "base/Presentation.h"
#include "config/SettingsLocation.h"

#include <emscripten.h>

#include <cstddef>
#include <iostream>
#include <optional>

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
    game->settings_.load(SettingsLocation::find("", "").file(), std::cerr);
    game->host_ = std::make_unique<GameHost>(HostSetup(game->backend_->window(), *game->store_, dataSet)
                                                 .player(game->settings_, {}, false)
                                                 .startFullScreen(false)
                                                 .loadInFrames());
    if (!game->host_->program().startUp()) {
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
    host_->settingsChanged();
    return written;
}

PageGame::~PageGame() {
    PageBridge::attach(nullptr);
    // As the desktop's game ends: the table is stored, a row whose name was
    // left with Escape included, before the game is let go. A refused save
    // has been said on stderr; the page offers another game all the same.
    if (host_) static_cast<void>(host_->end());
    host_.reset();
    backend_.reset();
    store_.reset();
}

bool PageGame::frame(int& exitCode) {
    if (!host_->program().stepFrame(exitCode)) return false;
    bridge_.afterFrame(host_->game());
    return true;
}

} // namespace vandrel
