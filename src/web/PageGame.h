// The game as a page runs it: the canvas's backend, the store in the
// browser's IndexedDB, the player's settings and the host, made in the order
// they need each other and let go in the reverse one. Unless the player said
// record_rounds = no, the game runs under a recorder writing into memory, and
// every finished round is kept (rounds/ beside vandrel.ini, in IndexedDB) and
// handed to the page as a link to share.
#pragma once
#include "PageBridge.h"
#include "app/GameHost.h"
#include "backends/Backend.h"
#include "config/Settings.h"
#include "replay/Recorder.h"
#include "replay/RoundKeeper.h"
#include "system/Store.h"

#include <cstdint>
#include <memory>
#include <ostream>
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
    PlayerControls& controls() { return *host().controls(); }

    // The page's options panel: a setting's value as the file writes it (""
    // while the file leaves it to the game), and the player's choice of one,
    // written to the settings file and taken by the running game where it
    // can be. False for a name or value the table does not know, or a file
    // that could not be written.
    std::string option(std::string_view name) const;
    bool choose(std::string_view name, std::string_view value);
    // The page was hidden or turned upright (see Game::onHidden).
    void hidden() { host().game().onHidden(); }

private:
    PageGame() = default;
    GameHost& host() { return recorder_ ? recorder_->host() : *host_; }
    bool recordedFrame(int& exitCode);
    // Tells the page of the round just kept: its score and its link's fragment.
    void tellKept();

    std::unique_ptr<Store> store_;
    std::unique_ptr<Backend> backend_;
    // The player's settings, before the game that uses them.
    Settings settings_;
    // The game without kept rounds.
    std::unique_ptr<GameHost> host_;
    // Or the game with them: its recording so far, the keeper and the
    // recorder (which holds the game), on the browser's clock from startMs_.
    CappedRecording recording_;
    std::ostream recordingOut_{&recording_};
    std::unique_ptr<RoundKeeper> keeper_;
    std::unique_ptr<Recorder> recorder_;
    PlayOptions recordedPlay_;
    bool keeping_ = true;
    uint32_t startTick_ = 0;
    double startMs_ = 0;
    // The page's own buttons and name field (page/controls.js).
    PageBridge bridge_;
};

} // namespace vandrel
