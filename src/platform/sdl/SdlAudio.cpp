// SDL audio output. SDL calls the callback on its own thread while holding
// the audio device lock; the mixer takes its own lock for the buffer cursors.
#include "platform/sdl/SdlAudio.h"

#include "platform/AudioDevice.h"

#include <SDL.h>

namespace vandrel {

SdlAudio::~SdlAudio() { close(); }

bool SdlAudio::attach(AudioDevice& d) {
    if (device) return false;
    if (!subsystemStarted) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
        subsystemStarted = true;
    }
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(AudioDevice::kOutputRate);
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    // About 23 ms per callback: short enough that a play call is heard at once.
    want.samples = 1024;
    want.callback = &SdlAudio::callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    device = &d;
    sdlDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (sdlDevice == 0) {
        device = nullptr;
        return false;
    }
    SDL_PauseAudioDevice(sdlDevice, 0);
    return true;
}

void SdlAudio::detach(AudioDevice& d) {
    if (device == &d) close();
}

bool SdlAudio::connected() const { return sdlDevice != 0 && SDL_GetAudioDeviceStatus(sdlDevice) != SDL_AUDIO_STOPPED; }

void SdlAudio::close() {
    if (sdlDevice != 0) {
        // Waits for a running callback to finish, so the device may go after this.
        SDL_CloseAudioDevice(sdlDevice);
        sdlDevice = 0;
    }
    device = nullptr;
    if (subsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemStarted = false;
    }
}

void SdlAudio::callback(void* self, uint8_t* stream, int length) {
    auto* audio = static_cast<SdlAudio*>(self);
    const uint32_t samples = static_cast<uint32_t>(length) / sizeof(int16_t);
    if (audio->device)
        audio->device->mix(reinterpret_cast<int16_t*>(stream), samples);
    else
        SDL_memset(stream, 0, static_cast<size_t>(length));
}

} // namespace vandrel
