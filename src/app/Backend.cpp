// Picks and starts the SDL or the headless platform.
#include "app/Backend.h"

#include "platform/AudioOutput.h"
#include "platform/null/NullAudio.h"
#include "platform/null/NullWindow.h"
#include "platform/sdl/SdlAudio.h"
#include "platform/sdl/SdlWindow.h"

#include <cstdlib>
#include <cstring>

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

} // namespace vandrel
