// SDL audio output. SDL calls the callback on its own thread while holding
// the audio device lock; the mixer takes its own lock for the buffer cursors.
#include "backends/sdl/SdlAudio.h"

#include "audio/AudioDevice.h"

#include <SDL.h>

#include <cstdio>

#if defined(__linux__)
#include <dlfcn.h>
#endif

namespace vandrel {

namespace {

#if defined(__linux__)
void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}
#endif

// SDL tries ALSA where no sound server runs, and ALSA prints eight lines of its
// own to stderr for a machine without a sound card, every time it is asked.
// ALSA is already loaded for SDL (or loads the same copy here), so its message
// handler is set once for both; the game says it plays silent in its own words.
void quietAlsa() {
#if defined(__linux__)
    static const bool done = [] {
        void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_GLOBAL);
        if (!alsa) return true; // no ALSA, no messages from it
        using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
        using SetHandler = int (*)(Handler);
        // The handle stays open: the handler must outlive every later call.
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) set(&ignoreAlsaMessage);
        return true;
    }();
    (void)done;
#endif
}

// Said once a process: an output that fails again after a retry is not news.
void reportNoSound() {
    static bool reported = false;
    if (reported) return;
    reported = true;
    std::fprintf(stderr, "vandrel: no sound output could be opened (%s); the game plays silent\n", SDL_GetError());
}

} // namespace

SdlAudio::~SdlAudio() { close(); }

bool SdlAudio::attach(AudioDevice& d) {
    if (device_) return false;
    quietAlsa();
    if (!subsystemStarted_) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            reportNoSound();
            return false;
        }
        subsystemStarted_ = true;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(AudioDevice::outputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    // About 23 ms per callback: short enough that a play call is heard at once.
    want.samples = 1024;
    want.callback = &SdlAudio::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device_ = &d;
    removed_ = false;
    sdlDevice_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (sdlDevice_ == 0) {
        device_ = nullptr;
        reportNoSound();
        return false;
    }
    SDL_AddEventWatch(&SdlAudio::watchEvent, this);
    SDL_PauseAudioDevice(sdlDevice_, 0);
    return true;
}

void SdlAudio::detach(AudioDevice& d) {
    if (device_ == &d) close();
}

bool SdlAudio::connected() const {
    const uint32_t id = sdlDevice_;
    return id != 0 && !removed_ && SDL_GetAudioDeviceStatus(id) != SDL_AUDIO_STOPPED;
}

void SdlAudio::close() {
    if (sdlDevice_ != 0) {
        SDL_DelEventWatch(&SdlAudio::watchEvent, this);
        // Waits for a running callback to finish, so the device may go after this.
        SDL_CloseAudioDevice(sdlDevice_);
        sdlDevice_ = 0;
    }
    device_ = nullptr;
    if (subsystemStarted_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted_ = false;
    }
}

int SdlAudio::watchEvent(void* self, SDL_Event* event) {
    auto* audio = static_cast<SdlAudio*>(self);
    // SDL names the opened device that went away; other devices and microphones do not matter.
    if (event->type == SDL_AUDIODEVICEREMOVED && !event->adevice.iscapture && event->adevice.which == audio->sdlDevice_)
        audio->removed_ = true;
    return 0;
}

void SdlAudio::callback(void* self, uint8_t* stream, int length) {
    auto* audio = static_cast<SdlAudio*>(self);
    const uint32_t samples = static_cast<uint32_t>(length) / sizeof(int16_t);
    // SDL goes on calling for a device that went away, at the same pace, into a
    // buffer nobody hears: the sounds stand still there instead, and go on where
    // they stopped once a device is open again.
    if (audio->device_ && !audio->removed_)
        audio->device_->mix(reinterpret_cast<int16_t*>(stream), samples);
    else
        SDL_memset(stream, 0, static_cast<size_t>(length));
}

} // namespace vandrel
