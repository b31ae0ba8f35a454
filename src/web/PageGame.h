// The game as a page runs it: the canvas's backend, the store in the
// browser's IndexedDB, the player's settings and the host, made in the order
// they need each other and let go in the reverse one.
#pragma once
#include "PageBridge.h"
#include "app/GameHost.h"
#include "backends/Backend.h"
#include "config/Settings.h"
#include "system/Store.h"

#include <memory>
#include <string>
#include <string_view>

namespace vandrel {

class PageGame {
public:
    // The game on the canvas, started up, on the data set at dataSet; null
    // with error saying why when the canvas or the display cannot start.
    static std::unique_ptr<PageGame> start(const char* dataSet, std::string& error);
    ~PageGame();

    // One browser frame (see Program::stepFrame); false once the game has
    // taken its Quit, with its code.
    bool frame(int& exitCode);
    // Tells the page's script (Module.onGameEvent) that the game started,
    // ended or failed, with a number and a text.
    static void tellPage(const char* event, int value, const std::string& text);

    // The player's sound keys, for the page's speaker button.
    PlayerControls& controls() { return *host_->controls(); }

    // The page's options panel: a setting's value as the file writes it (""
    // while the file leaves it to the game), and the player's choice of one,
    // written to the settings file and taken by the running game where it
    // can be. False for a name or value the table does not know, or a file
    // that could not be written.
    std::string option(std::string_view name) const;
    bool choose(std::string_view name, std::string_view value);
    // The page was hidden or turned upright (see Game::onHidden).
    void hidden() { host_->game().onHidden(); }

private:
    PageGame() = default;

    std::unique_ptr<Store> store_;
    std::unique_ptr<Backend> backend_;
    // The player's settings, before the game that uses them.
    Settings settings_;
    std::unique_ptr<GameHost> host_;
    // The page's own buttons and name field (page/controls.js).
    PageBridge bridge_;
};

} // namespace vandrel
