// Building and checking PCM format records.
#include "audio/AudioFormat.h"

namespace vandrel {

AudioFormat AudioFormat::pcm16(uint16_t channelCount, uint32_t rate) {
    AudioFormat f;
    f.formatTag = audioFormatPcm;
    f.channels = channelCount;
    f.samplesPerSec = rate;
    f.blockAlign = static_cast<uint16_t>(channelCount * 2);
    f.avgBytesPerSec = rate * f.blockAlign;
    f.bitsPerSample = 16;
    f.extraSize = 0;
    return f;
}

bool AudioFormat::isPlayablePcm16() const {
    // The rate bounds are the range sound hardware of the time accepted.
    return formatTag == audioFormatPcm && bitsPerSample == 16 && (channels == 1 || channels == 2) &&
           samplesPerSec >= 100 && samplesPerSec <= 200000 && blockAlign == channels * 2 &&
           avgBytesPerSec == samplesPerSec * blockAlign;
}

} // namespace vandrel
