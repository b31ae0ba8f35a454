// The platform the game runs on, chosen once before the Game is made: SDL (a
// real window, screen and sound card) or headless (tests, tools, CI).
#pragma once
#include "base/Presentation.h"
#include "video/Window.h"

#include <memory>
#include <string>

namespace vandrel {

class AudioOutput;
class Store;

enum class BackendKind { Sdl, Null };

class Backend {
public:
    // Starts the chosen platform: its window and its sound output, which
    // becomes the process's audio output. Null with the reason in error when
    // the video system cannot start (no sound is not an error).
    // The screen options shape the SDL window; the headless one has no screen.
    static std::unique_ptr<Backend> create(BackendKind kind, std::string& error, const ScreenOptions& screen = {});
    ~Backend();
    Backend(const Backend&) = delete;
    Backend& operator=(const Backend&) = delete;

    Window& window() { return *window_; }
    BackendKind kind() const { return kind_; }

private:
    Backend() = default;

    BackendKind kind_ = BackendKind::Null;
    std::unique_ptr<AudioOutput> audio_;
    AudioOutput* previousAudio_ = nullptr;
    std::unique_ptr<Window> window_;
};

// VANDREL_BACKEND=null runs without a window or sound card; SDL otherwise.
BackendKind backendFromEnvironment();

// The store of the player's high-score tables on this system: folders under the
// machine-wide root $VANDREL_MACHINE_STORE (default /var/lib/vandrel) where a
// packager made it writable, else under the per-user root $XDG_DATA_HOME/vandrel
// (default ~/.local/share/vandrel). On Windows: the registry.
std::unique_ptr<Store> standardStore();

} // namespace vandrel
