// Picks and starts the SDL or the headless platform.
#include "backends/Backend.h"

#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "backends/null/NullWindow.h"
#include "backends/sdl/SdlAudio.h"
#include "backends/sdl/SdlWindow.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#ifdef _WIN32
#include "system/win32/RegistryStore.h"
#else
#include "system/FileStore.h"

#include <pwd.h>
#include <unistd.h>
#endif

namespace vandrel {

std::unique_ptr<Backend> Backend::create(BackendKind kind, std::string& error, const ScreenOptions& screen) {
    std::unique_ptr<Backend> b(new Backend());
    b->kind_ = kind;
    if (kind == BackendKind::Sdl) {
        b->window_ = SdlWindow::create(error, screen);
        if (!b->window_) return nullptr;
        b->audio_ = std::make_unique<SdlAudio>();
    } else {
        b->window_ = std::make_unique<NullWindow>();
        b->audio_ = std::make_unique<NullAudio>();
    }
    b->previousAudio_ = setAudioOutput(b->audio_.get());
    return b;
}

Backend::~Backend() {
    if (audio_) setAudioOutput(previousAudio_);
    audio_.reset();
    window_.reset();
}

BackendKind backendFromEnvironment() {
    const char* v = std::getenv("VANDREL_BACKEND");
    if (v && std::strcmp(v, "null") == 0) return BackendKind::Null;
    return BackendKind::Sdl;
}

#ifdef _WIN32
// The registry, as on every Windows PC: HKEY_LOCAL_MACHINE where the game may
// write there, else HKEY_CURRENT_USER.
std::unique_ptr<Store> standardStore() { return std::make_unique<RegistryStore>(); }
#else
std::unique_ptr<Store> standardStore() {
    namespace fs = std::filesystem;
    fs::path machine = "/var/lib/vandrel";
    if (const char* env = std::getenv("VANDREL_MACHINE_STORE"); env && *env) machine = env;

    fs::path user;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        user = fs::path(xdg) / "vandrel";
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
        }
        user = fs::path(home) / ".local" / "share" / "vandrel";
    }
    return std::make_unique<FileStore>(std::move(machine), std::move(user));
}
#endif

} // namespace vandrel
