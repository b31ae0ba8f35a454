// Streams that share a decoded Vorbis set-up: the same PCM as a stream that
// decodes its own, to the bit, however they are opened, restarted or outlive
// the factory that made them; different set-ups are never mixed up.
#include "sound/VorbisSetups.h"
#include "sound/OggSoundStream.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <memory>

namespace vandrel {
namespace {

using test::encodeOgg;
using test::OggOptions;
using test::sine;

std::vector<uint8_t> drain(SoundStream& s) {
    std::vector<uint8_t> out;
    uint8_t chunk[4096];
    int32_t got;
    while ((got = s.read(chunk, sizeof chunk)) > 0) out.insert(out.end(), chunk, chunk + got);
    return out;
}

// Decodes a payload whole, as an effect is, without any sharing.
std::vector<uint8_t> alone(const std::vector<uint8_t>& payload) {
    OggSoundStream s(payload);
    s.decodedSize();
    return drain(s);
}

std::vector<uint8_t> encoded(double frequency, float quality, int channels = 1) {
    OggOptions options;
    options.quality = quality;
    options.channels = channels;
    options.comments = {"Length: 250\n"};
    std::vector<float> samples = sine(11025, frequency);
    if (channels == 2) {
        std::vector<float> stereo;
        for (float v : samples) {
            stereo.push_back(v);
            stereo.push_back(-v * 0.5f);
        }
        samples = stereo;
    }
    return encodeOgg(samples, options);
}

TEST(VorbisSetups, StreamsWithTheSameHeadersShareOneSetupAndDecodeTheSame) {
    auto setups = std::make_shared<VorbisSetups>();
    const auto a = encoded(440, 0.3f), b = encoded(660, 0.3f);
    OggSoundStream first(a, setups);
    ASSERT_TRUE(first.headersOpen());
    EXPECT_EQ(setups->kept(), 1u);
    OggSoundStream second(b, setups);
    ASSERT_TRUE(second.headersOpen());
    EXPECT_EQ(setups->kept(), 1u) << "the second stream brought the same set-up";
    first.decodedSize();
    second.decodedSize();
    EXPECT_EQ(drain(first), alone(a));
    EXPECT_EQ(drain(second), alone(b));
    EXPECT_EQ(first.lengthMs(), 250) << "comments stay each stream's own";
}

TEST(VorbisSetups, DifferentSettingsKeepTheirOwnSetups) {
    auto setups = std::make_shared<VorbisSetups>();
    const std::vector<uint8_t> payloads[] = {encoded(440, 0.1f), encoded(440, 0.6f), encoded(440, 0.3f, 2),
                                             encoded(500, 0.1f)};
    std::vector<std::unique_ptr<OggSoundStream>> streams;
    for (const auto& p : payloads) streams.push_back(std::make_unique<OggSoundStream>(p, setups));
    EXPECT_EQ(setups->kept(), 3u);
    for (size_t i = 0; i < streams.size(); ++i) {
        streams[i]->decodedSize();
        EXPECT_EQ(drain(*streams[i]), alone(payloads[i])) << i;
    }
}

TEST(VorbisSetups, ARestartedStreamDecodesTheSameAgain) {
    auto setups = std::make_shared<VorbisSetups>();
    const auto music = encoded(330, 0.3f);
    std::vector<uint8_t> once = alone(music);
    OggSoundStream s(music, setups);
    for (int round = 0; round < 3; ++round) {
        std::vector<uint8_t> got;
        uint8_t chunk[4096];
        while (s.prepare(4096, false) > 0) {
            const int32_t n = s.read(chunk, sizeof chunk);
            got.insert(got.end(), chunk, chunk + n);
        }
        EXPECT_EQ(got, once) << "round " << round;
        s.rewind(0);
    }
}

TEST(VorbisSetups, AStreamOutlivesTheSetupsItWasMadeWith) {
    auto setups = std::make_shared<VorbisSetups>();
    const auto music = encoded(330, 0.3f);
    auto stream = std::make_unique<OggSoundStream>(music, setups);
    setups.reset(); // the factory goes first when the sound system shuts down
    stream->rewind(0);
    stream->decodedSize();
    EXPECT_EQ(drain(*stream), alone(music));
}

TEST(VorbisSetups, OnlyTheMostRecentlyUsedAreKept) {
    auto setups = std::make_shared<VorbisSetups>();
    std::vector<std::vector<uint8_t>> payloads;
    for (int i = 0; i < 5; ++i) payloads.push_back(encoded(440, 0.1f * static_cast<float>(i)));
    for (const auto& p : payloads) OggSoundStream s(p, setups);
    EXPECT_EQ(setups->kept(), VorbisSetups::maxKept);
    // The first set-up was dropped: a stream with it decodes its own and keeps it again.
    OggSoundStream again(payloads[0], setups);
    again.decodedSize();
    EXPECT_EQ(drain(again), alone(payloads[0]));
    EXPECT_EQ(setups->kept(), VorbisSetups::maxKept);
}

TEST(VorbisSetups, ADamagedSetupHeaderIsNeverKept) {
    auto setups = std::make_shared<VorbisSetups>();
    auto payload = encoded(440, 0.3f);
    // Cut inside the header pages: the set-up never completes.
    payload.resize(200);
    OggSoundStream s(payload, setups);
    EXPECT_FALSE(s.headersOpen());
    EXPECT_EQ(setups->kept(), 0u);
    EXPECT_EQ(s.decodedSize(), 0u);
}

} // namespace
} // namespace vandrel
