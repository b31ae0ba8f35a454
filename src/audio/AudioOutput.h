// Where the mixed sound goes. The backend (SDL's audio callback, or a headless
// output that a test advances by hand) is chosen once, before the game starts.
#pragma once

namespace vandrel {

class AudioDevice;

class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Starts taking mono 16-bit samples at AudioDevice::outputRate from
    // device.mix; false when no sound can be made (no sound card, no driver).
    virtual bool attach(AudioDevice& device) = 0;
    // Stops; on return the output no longer calls the device.
    virtual void detach(AudioDevice& device) = 0;
    // Whether the sound card the attached device plays on is still there: an
    // unplugged headset or a sound server that went away makes it false.
    virtual bool connected() const { return true; }
};

// Installs the process-wide output (borrowed, must outlive every device opened
// on it) and returns the previous one. Null puts back the headless default: a
// device that works, but whose cursors move only when someone calls mix.
AudioOutput* setAudioOutput(AudioOutput* output);
AudioOutput& audioOutput();

// Installs an output for the lifetime of a scope and puts the previous one back.
class ScopedAudioOutput {
public:
    explicit ScopedAudioOutput(AudioOutput& output) : previous_(setAudioOutput(&output)) {}
    ~ScopedAudioOutput() { setAudioOutput(previous_); }
    ScopedAudioOutput(const ScopedAudioOutput&) = delete;
    ScopedAudioOutput& operator=(const ScopedAudioOutput&) = delete;

private:
    AudioOutput* previous_;
};

} // namespace vandrel
