// Audio output through SDL: the device is mixed in SDL's audio callback at
// 44.1 kHz mono 16-bit; SDL converts to whatever the hardware wants.
#pragma once
#include "platform/AudioOutput.h"

#include <cstdint>

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
    // SDL stops a device whose hardware went away (and sends its removed event).
    bool connected() const override;

private:
    static void callback(void* self, uint8_t* stream, int length);
    void close();

    AudioDevice* device = nullptr;
    uint32_t sdlDevice = 0;
    bool subsystemStarted = false;
};

} // namespace vandrel
