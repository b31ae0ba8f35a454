// The process-wide sound system: the platform's audio output as its library,
// the device opened on it, the primary buffer's format, and the stream factory.
#pragma once
#include "audio/AudioBuffer.h"
#include "audio/AudioDevice.h"
#include "sound/SoundStream.h"
#include "sound/SoundStreamFactory.h"

#include <memory>

namespace vandrel {

class AudioOutput;
class BlockReader;

class SoundSystem {
public:
    // Takes the installed audio output (see audio/AudioOutput.h) as its
    // library and becomes the process's sound system until it is destroyed.
    SoundSystem();
    ~SoundSystem();
    SoundSystem(const SoundSystem&) = delete;
    SoundSystem& operator=(const SoundSystem&) = delete;

    // Opens the device and sets 44.1 kHz mono 16-bit; false when there is no
    // sound. The game goes on either way: without a factory, sounds stay empty.
    bool init();
    // A stream from the reader's current block, or null (no sound, no reader,
    // or not a sound the factory knows).
    std::unique_ptr<SoundStream> createStream(BlockReader* reader);
    // Releases the factory, the primary buffer and the device; called when the
    // main window goes away. Sounds still loaded fall silent but stay valid.
    void shutdown();

    // Called from the message loop. A sound card that went away mid-game leaves
    // the game silent: the device and its buffers stay, their cursors stand
    // still. Every retryMs the output is asked again, and where it can play
    // again the sound comes back where it stopped.
    void watchOutput(uint32_t now);
    bool outputLost() const { return lost_; }
    static constexpr uint32_t retryMs = 3000;

    // The device the players make their buffers on; null before init or after
    // shutdown.
    AudioDevice* audioDevice() const { return device_.get(); }
    bool hasFactory() const { return factory_ != nullptr; }

    // The sound system of the process, null when none exists.
    static SoundSystem* current();

private:
    std::unique_ptr<AudioDevice> device_;
    std::unique_ptr<AudioBuffer> primaryBuffer_;
    std::unique_ptr<SoundStreamFactory> factory_;
    AudioOutput* library_ = nullptr;
    bool lost_ = false;
    uint32_t lastTry_ = 0;
};

} // namespace vandrel
