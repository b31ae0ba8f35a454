// What an Ogg sound stream promises: its declared length and format, PCM that
// matches the encoded signal, reads bounded by the queue, decoding ahead and
// restarting, and damaged data that never crashes or hangs.
#include "sound/OggSoundStream.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace vandrel {
namespace {

using test::encodeOgg;
using test::OggOptions;
using test::sine;
using test::toneOgg;

std::vector<int16_t> drain(SoundStream& s) {
    std::vector<int16_t> out;
    int16_t chunk[1000];
    int32_t got;
    while ((got = s.read(chunk, sizeof chunk)) > 0) out.insert(out.end(), chunk, chunk + got / 2);
    return out;
}

TEST(OggSoundStream, LengthComesFromTheLengthCommentOrDefaultsTo30Seconds) {
    OggSoundStream with(toneOgg(0.322, true));
    EXPECT_EQ(with.lengthMs(), 322);
    OggSoundStream without(toneOgg(0.2, false));
    EXPECT_EQ(without.lengthMs(), 30000);

    // Only the exact, case-sensitive key counts; the first match wins.
    OggOptions options;
    options.comments = {"length: 5\n", "Length:7\n", "Length: 90\n", "Length: 12\n"};
    OggSoundStream picky(encodeOgg(sine(4410, 440), options));
    EXPECT_EQ(picky.lengthMs(), 90);
}

TEST(OggSoundStream, LengthCommentsAreReadLikeAtoi) {
    const char* comments[] = {"", "Length: -42x\n", "Length: 1"};
    const int lengths[] = {0, 13, 9};
    EXPECT_EQ(OggSoundStream::lengthFromComments(comments, lengths, 3), -42);
    const char* big[] = {"Length: 99999999999\n"};
    const int bigLength[] = {20};
    EXPECT_EQ(OggSoundStream::lengthFromComments(big, bigLength, 1), INT32_MAX);
    const char* none[] = {"Length: \n"};
    const int noneLength[] = {9};
    EXPECT_EQ(OggSoundStream::lengthFromComments(none, noneLength, 1), 0);
    EXPECT_EQ(OggSoundStream::lengthFromComments(nullptr, nullptr, 0), 30000);
}

TEST(OggSoundStream, FormatIsSixteenBitPcmOfTheStream) {
    OggSoundStream stream(toneOgg(0.1));
    std::unique_ptr<AudioFormat> f;
    stream.format(&f);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->formatTag, 1);
    EXPECT_EQ(f->channels, 1);
    EXPECT_EQ(f->samplesPerSec, 44100u);
    EXPECT_EQ(f->avgBytesPerSec, 88200u);
    EXPECT_EQ(f->blockAlign, 2);
    EXPECT_EQ(f->bitsPerSample, 16);
    EXPECT_EQ(f->extraSize, 0);
    stream.format(nullptr); // allowed, does nothing
}

TEST(OggSoundStream, DecodesTheWholeSignalToMatchingPcm) {
    const auto signal = sine(22050, 440.0, 0.5);
    OggSoundStream stream(encodeOgg(signal));
    EXPECT_EQ(stream.decodedSize(), signal.size() * 2);
    const auto pcm = drain(stream);
    ASSERT_EQ(pcm.size(), signal.size());
    double error = 0;
    for (size_t i = 0; i < pcm.size(); ++i) error += std::pow(pcm[i] / 32767.0 - signal[i], 2);
    EXPECT_LT(std::sqrt(error / pcm.size()), 0.02);
    EXPECT_EQ(stream.decodedSize(), 0u);
}

TEST(OggSoundStream, StereoSamplesAreInterleavedLeftFirst) {
    const auto left = sine(8820, 440.0, 0.6);
    std::vector<float> both;
    for (float v : left) {
        both.push_back(v);
        both.push_back(0.0f);
    }
    OggOptions options;
    options.channels = 2;
    OggSoundStream stream(encodeOgg(both, options));
    std::unique_ptr<AudioFormat> f;
    stream.format(&f);
    EXPECT_EQ(f->blockAlign, 4);
    EXPECT_EQ(f->avgBytesPerSec, 176400u);
    ASSERT_EQ(stream.decodedSize(), both.size() * 2);
    const auto pcm = drain(stream);
    double leftEnergy = 0, rightEnergy = 0;
    for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
        leftEnergy += std::abs(pcm[i]);
        rightEnergy += std::abs(pcm[i + 1]);
    }
    EXPECT_GT(leftEnergy, 20 * rightEnergy);
}

TEST(OggSoundStream, ReadsHandOutOnlyWhatIsQueued) {
    OggSoundStream stream(toneOgg(0.05));
    const uint32_t size = stream.decodedSize();
    ASSERT_GT(size, 0u);
    std::vector<uint8_t> all(size + 1000);
    EXPECT_EQ(stream.read(nullptr, 10), 0);
    EXPECT_EQ(stream.read(all.data(), 0), 0);
    EXPECT_EQ(stream.read(all.data(), -5), 0);
    EXPECT_EQ(stream.read(all.data(), 3), 3);
    EXPECT_EQ(stream.read(all.data() + 3, static_cast<int32_t>(all.size() - 3)), static_cast<int32_t>(size - 3));
    EXPECT_EQ(stream.read(all.data(), 100), 0);
    EXPECT_EQ(stream.readUnchecked(all.data(), 100), 0);
}

TEST(OggSoundStream, PrepareDecodesAheadOnlyAboutAsMuchAsAsked) {
    OggSoundStream whole(toneOgg(2.0));
    const uint32_t total = whole.decodedSize();

    OggSoundStream stream(toneOgg(2.0));
    const uint32_t queued = stream.prepare(10000, false);
    EXPECT_GE(queued, 10000u);
    // At most one packet past the amount asked for: a packet of the tone's
    // 2048-sample long blocks gives 1024 samples at most.
    EXPECT_LE(queued, 10000u + 1024u * 2);
    EXPECT_LT(queued, total / 4);
    // Already enough queued: nothing more is decoded.
    EXPECT_EQ(stream.prepare(5000, false), queued);
    // The pieces come out in order: first the start of the sound.
    std::vector<int16_t> a(50), b(50);
    whole.read(a.data(), 100);
    stream.read(b.data(), 100);
    EXPECT_EQ(a, b);
}

TEST(OggSoundStream, PrepareWithLoopRestartsOnlyWhenEverythingWasRead) {
    OggSoundStream stream(toneOgg(0.3));
    const uint32_t first = stream.prepare(1u << 30, false); // the whole sound
    std::vector<int16_t> start(first / 2);
    ASSERT_EQ(stream.read(start.data(), static_cast<int32_t>(first)), static_cast<int32_t>(first));

    EXPECT_EQ(stream.prepare(88200, false), 0u); // exhausted, not looping
    const uint32_t again = stream.prepare(8000, true);
    EXPECT_GE(again, 8000u);
    std::vector<int16_t> restart(4000);
    stream.read(restart.data(), 8000);
    EXPECT_TRUE(std::equal(restart.begin(), restart.end(), start.begin()));

    // A queued tail is handed out first: no restart while bytes wait.
    OggSoundStream tail(toneOgg(0.3));
    const uint32_t all = tail.prepare(1u << 30, true);
    std::vector<uint8_t> sink(all);
    tail.read(sink.data(), static_cast<int32_t>(all - 100));
    EXPECT_EQ(tail.prepare(88200, true), 100u);
}

TEST(OggSoundStream, RewindStartsAgainFromTheBeginning) {
    OggSoundStream stream(toneOgg(0.5));
    stream.prepare(20000, false);
    std::vector<int16_t> first(500), second(500);
    stream.read(first.data(), 1000);
    stream.rewind(250); // the position is not used
    stream.prepare(20000, false);
    stream.read(second.data(), 1000);
    EXPECT_EQ(first, second);
    EXPECT_EQ(stream.lengthMs(), 500);
    EXPECT_EQ(stream.reserved(), 0);
}

TEST(OggSoundStream, SamplesScaleTruncateAndClamp) {
    EXPECT_EQ(OggSoundStream::toPcm16(1.0f), 32767);
    EXPECT_EQ(OggSoundStream::toPcm16(-1.0f), -32767);
    EXPECT_EQ(OggSoundStream::toPcm16(1.5f), 32767);
    EXPECT_EQ(OggSoundStream::toPcm16(-1.5f), -32768);
    EXPECT_EQ(OggSoundStream::toPcm16(0.5f), 16383);   // 16383.5 truncated
    EXPECT_EQ(OggSoundStream::toPcm16(-0.5f), -16383); // toward zero
    EXPECT_EQ(OggSoundStream::toPcm16(1e30f), 32767);
    EXPECT_EQ(OggSoundStream::toPcm16(-INFINITY), -32768);
    EXPECT_EQ(OggSoundStream::toPcm16(NAN), 0);
}

TEST(OggSoundStream, AFullyReadEffectStaysSafeToUse) {
    OggSoundStream stream(toneOgg(0.1));
    const uint32_t size = stream.decodedSize();
    std::vector<uint8_t> sink(size);
    stream.read(sink.data(), static_cast<int32_t>(size));
    // Its compressed copy is gone; nothing comes back, nothing breaks.
    EXPECT_EQ(stream.prepare(1000, true), 0u);
    stream.rewind(0);
    EXPECT_EQ(stream.decodedSize(), 0u);
    EXPECT_EQ(stream.lengthMs(), 100);
}

TEST(OggSoundStream, HeadersThatCannotBeReadGiveNoPcm) {
    const auto good = toneOgg(0.2);
    // Cut inside the header pages, or no page at all.
    for (size_t cut : {size_t(10), size_t(60), size_t(200), size_t(2000)}) {
        std::vector<uint8_t> bytes(good.begin(), good.begin() + std::min(cut, good.size()));
        OggSoundStream stream(bytes);
        EXPECT_EQ(stream.decodedSize(), 0u) << cut;
        EXPECT_EQ(stream.prepare(1000, true), 0u) << cut;
        std::unique_ptr<AudioFormat> f;
        stream.format(&f);
        EXPECT_EQ(f->channels, 0) << cut;
    }
    OggSoundStream empty(std::vector<uint8_t>{});
    EXPECT_EQ(empty.decodedSize(), 0u);
}

TEST(OggSoundStream, TruncatedDataGivesThePcmDecodedSoFar) {
    const auto good = toneOgg(4.0);
    std::vector<uint8_t> half(good.begin(), good.begin() + good.size() / 2);
    OggSoundStream stream(half);
    const uint32_t size = stream.decodedSize();
    EXPECT_GT(size, 4 * 88200u / 4);
    EXPECT_LT(size, 4 * 88200u);
}

TEST(OggSoundStream, DamagedDataNeverCrashesOrHangs) {
    const auto good = toneOgg(0.4);
    std::mt19937 rng(7);
    for (int round = 0; round < 60; ++round) {
        auto bytes = good;
        const int flips = 1 + round % 20;
        for (int i = 0; i < flips; ++i) {
            const size_t at = rng() % bytes.size();
            bytes[at] = static_cast<uint8_t>(rng());
        }
        if (round % 3 == 0) bytes.resize(rng() % bytes.size());
        OggSoundStream streamed(bytes);
        for (int i = 0; i < 5; ++i) streamed.prepare(20000, true);
        OggSoundStream whole(bytes);
        EXPECT_LE(whole.decodedSize(), 4u * 44100 * 2) << round;
    }
}

} // namespace
} // namespace vandrel
