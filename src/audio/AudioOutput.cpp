// The process-wide choice of audio output, headless unless a backend is installed.
#include "audio/AudioOutput.h"

namespace vandrel {

namespace {

// Nothing pulls samples: sounds load and start, their cursors stand still.
class HeadlessOutput final : public AudioOutput {
public:
    bool attach(AudioDevice&) override { return true; }
    void detach(AudioDevice&) override {}
};

HeadlessOutput headless;
AudioOutput* installed = nullptr;

} // namespace

AudioOutput* setAudioOutput(AudioOutput* output) {
    AudioOutput* previous = installed;
    installed = output;
    return previous;
}

AudioOutput& audioOutput() { return installed ? *installed : headless; }

} // namespace vandrel
