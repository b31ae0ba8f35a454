// Audio output through SDL: the device is mixed in SDL's audio callback at
// 44.1 kHz mono 16-bit; SDL converts to whatever the hardware wants.
#pragma once
#include "audio/AudioOutput.h"

#include <atomic>
#include <cstdint>

union SDL_Event;

namespace vandrel {

class SdlAudio final : public AudioOutput {
public:
    SdlAudio() = default;
    ~SdlAudio() override;
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // Opens SDL's default audio device; false (and a silent game) when there is
    // none or the driver refuses.
    bool attach(AudioDevice& device) override;
    void detach(AudioDevice& device) override;
    // False once SDL has sent the removed event of the open device (an unplugged
    // headset, a sound server gone) or has stopped it.
    bool connected() const override;

private:
    static void callback(void* self, uint8_t* stream, int length);
    // Sees each SDL event as it is sent, on the thread that sends it.
    static int watchEvent(void* self, SDL_Event* event);
    void close();

    AudioDevice* device_ = nullptr;
    // Read by the event watch on SDL's threads.
    std::atomic<uint32_t> sdlDevice_{0};
    std::atomic<bool> removed_{false};
    bool subsystemStarted_ = false;
};

} // namespace vandrel
