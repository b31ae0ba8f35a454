// Sounds loaded from tagged blocks: which payloads become streams, that the
// block walk stays intact around them, and the effect holder's two modes.
#include "audio/AudioOutput.h"
#include "backends/null/NullAudio.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundSystem.h"
#include "support/TestArchive.h"
#include "support/TestSounds.h"

#include <gtest/gtest.h>

namespace vandrel {
namespace {

using test::block;
using test::Bytes;
using test::concat;
using test::TestArchive;

constexpr uint16_t s2 = makeTag('S', '2');

struct LoadingRig : ::testing::Test {
    NullAudio audio;
    ScopedAudioOutput scope{audio};
    SoundSystem system;
    const Bytes ogg = test::toneOgg(0.25);

    void SetUp() override { ASSERT_TRUE(system.init()); }

    // The reader inside the first block of an entry made of `blocks`.
    std::unique_ptr<TestArchive> archiveWith(const Bytes& blocks) {
        auto archive = std::make_unique<TestArchive>(std::vector<std::pair<std::string, Bytes>>{{"stuff.x", blocks}});
        uint16_t tag = 0;
        EXPECT_TRUE(archive->entry("stuff.x").readHeader(tag));
        return archive;
    }
    // After the sound block is dealt with, the walk goes on to the S2 block.
    static void expectNextIsS2(BlockReader& reader) {
        uint16_t tag = 0;
        ASSERT_TRUE(reader.nextBlock());
        ASSERT_TRUE(reader.readHeader(tag));
        EXPECT_EQ(tag, s2);
    }
};

TEST_F(LoadingRig, AnOggPayloadBecomesAStreamOfTheWholeSound) {
    auto archive = archiveWith(concat({block("S1", ogg), block("S2")}));
    auto stream = system.createStream(archive->reader());
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->lengthMs(), 250);
    EXPECT_EQ(stream->decodedSize(), 2u * 11025);
    expectNextIsS2(*archive->reader());
}

TEST_F(LoadingRig, PayloadsThatAreNotOggGiveNoStream) {
    Bytes notOgg = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    Bytes wrongVersion = ogg;
    wrongVersion[4] = 1;
    Bytes onlyCapture = {'O', 'g', 'g', 'S'};
    for (const Bytes& payload : {notOgg, wrongVersion, onlyCapture}) {
        auto archive = archiveWith(concat({block("S1", payload), block("S2")}));
        EXPECT_EQ(system.createStream(archive->reader()), nullptr);
        expectNextIsS2(*archive->reader());
    }
}

TEST_F(LoadingRig, AnEmptySoundBlockGivesNoStreamAndReadsNothingBeyondIt) {
    // The next block is itself a sound: it must still be found and loaded.
    auto archive = archiveWith(concat({block("S1"), block("S2", ogg)}));
    EXPECT_EQ(system.createStream(archive->reader()), nullptr);
    uint16_t tag = 0;
    ASSERT_TRUE(archive->reader()->nextBlock());
    ASSERT_TRUE(archive->reader()->readHeader(tag));
    EXPECT_EQ(tag, s2);
    EXPECT_TRUE(system.createStream(archive->reader()));
}

TEST_F(LoadingRig, ALengthBeyondTheEntryGivesNoStream) {
    for (uint32_t length : {static_cast<uint32_t>(ogg.size() + 1), 0x10000000u, 0x7FFFFFF0u}) {
        auto archive = archiveWith(test::blockWithLength("S1", length, ogg));
        EXPECT_EQ(system.createStream(archive->reader()), nullptr) << length;
    }
}

TEST_F(LoadingRig, NothingIsMadeWithoutAReaderOrBeforeInit) {
    EXPECT_EQ(system.createStream(nullptr), nullptr);
    system.shutdown();
    auto archive = archiveWith(block("S1", ogg));
    EXPECT_EQ(system.createStream(archive->reader()), nullptr);
}

TEST_F(LoadingRig, EffectsLoadStaticallyAndRestartFromTheirStart) {
    auto archive = archiveWith(concat({block("S1", ogg), block("S2")}));
    SoundBuffer effect;
    ASSERT_TRUE(effect.load(archive->reader(), false));
    EXPECT_FALSE(effect.streamed());
    ASSERT_EQ(effect.staticPart().state(), StaticSound::State::Loaded);
    expectNextIsS2(*archive->reader());

    effect.playFromStart();
    audio.advance(5000);
    const std::vector<int16_t> start(audio.mixed().begin(), audio.mixed().begin() + 1000);
    audio.clearMixed();
    effect.playFromStart(); // still playing: cut off and started again
    audio.advance(1000);
    EXPECT_EQ(audio.mixed(), start);
    EXPECT_EQ(effect.staticPart().state(), StaticSound::State::Playing);

    effect.unload();
    EXPECT_EQ(effect.staticPart().state(), StaticSound::State::Empty);
}

TEST_F(LoadingRig, StreamedEffectsRestartFromTheirStartToo) {
    auto archive = archiveWith(block("S3", ogg));
    SoundBuffer effect;
    ASSERT_TRUE(effect.load(archive->reader(), true));
    EXPECT_TRUE(effect.streamed());
    ASSERT_EQ(effect.streamingPart().state(), StreamingSound::State::Loaded);
    EXPECT_EQ(effect.staticPart().state(), StaticSound::State::Empty);

    effect.playFromStart();
    EXPECT_EQ(effect.streamingPart().state(), StreamingSound::State::Playing);
    EXPECT_FALSE(effect.streamingPart().looping());
    audio.advance(3000);
    const std::vector<int16_t> start(audio.mixed().begin(), audio.mixed().begin() + 1000);
    audio.clearMixed();
    effect.playFromStart();
    audio.advance(1000);
    EXPECT_EQ(audio.mixed(), start);
}

TEST_F(LoadingRig, AHolderWithoutAReaderFailsButABadSoundDoesNot) {
    SoundBuffer effect;
    EXPECT_FALSE(effect.load(nullptr, false));
    auto archive = archiveWith(block("S1", Bytes{1, 2, 3}));
    EXPECT_TRUE(effect.load(archive->reader(), false));
    EXPECT_EQ(effect.staticPart().state(), StaticSound::State::Empty);
    effect.playFromStart(); // nothing to play, nothing happens
    EXPECT_EQ(effect.staticPart().state(), StaticSound::State::Empty);

    StreamingSound music;
    EXPECT_FALSE(music.load(static_cast<BlockReader*>(nullptr)));
    auto again = archiveWith(block("S4", Bytes{1, 2, 3}));
    EXPECT_TRUE(music.load(again->reader()));
    EXPECT_EQ(music.state(), StreamingSound::State::Empty);
}

} // namespace
} // namespace vandrel
