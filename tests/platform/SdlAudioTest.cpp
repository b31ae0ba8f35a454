// The SDL output losing its device: SDL's removed event silences the game's
// sounds at once, and a device opened again plays them on. Runs on SDL's dummy
// audio driver, which calls back at the pace of a real sound card.
#include "backends/sdl/SdlAudio.h"
#include "audio/AudioDevice.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace vandrel {
namespace {

// Whether the sound's play cursor moves within a second: the output is mixing it.
bool playing(const AudioBuffer& sound) {
    uint32_t start = 0;
    sound.getCurrentPosition(&start, nullptr);
    uint32_t now = start;
    for (int i = 0; i < 100 && now == start; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        sound.getCurrentPosition(&now, nullptr);
    }
    return now != start;
}

void pushRemoved(uint32_t which, bool capture) {
    SDL_Event e{};
    e.type = SDL_AUDIODEVICEREMOVED;
    e.adevice.which = which;
    e.adevice.iscapture = capture ? 1 : 0;
    SDL_PushEvent(&e);
}

TEST(SdlAudio, RemovedDeviceFallsSilentAtOnceAndAnOpenedOnePlaysOn) {
    SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
    SdlAudio audio;
    auto device = AudioDevice::open(audio);
    if (!device) GTEST_SKIP() << "no SDL audio here: " << SDL_GetError();
    const AudioFormat mono = AudioFormat::pcm16(1, AudioDevice::outputRate);
    AudioBufferDesc desc;
    desc.format = &mono;
    desc.bufferBytes = 10000; // not a whole number of callbacks: the cursor does not come back soon
    auto sound = device->createBuffer(desc);
    ASSERT_TRUE(sound && sound->play(audioPlayLooping));
    ASSERT_TRUE(playing(*sound));

    // The number SDL gave our device: the one open device that plays.
    uint32_t ours = 1;
    while (ours < 32 && SDL_GetAudioDeviceStatus(ours) != SDL_AUDIO_PLAYING) ++ours;
    for (uint32_t other : {0u, ours + 1}) pushRemoved(other, false);
    pushRemoved(ours, true); // a microphone
    EXPECT_TRUE(audio.connected()) << "another device went away";
    EXPECT_TRUE(playing(*sound));

    pushRemoved(ours, false);
    EXPECT_FALSE(audio.connected());
    SDL_LockAudioDevice(ours); // a callback under way finishes first
    SDL_UnlockAudioDevice(ours);
    EXPECT_FALSE(playing(*sound)) << "silent before the game lets the device go";

    // The sound system lets go of the lost device and later opens one again.
    audio.detach(*device);
    ASSERT_TRUE(audio.attach(*device));
    EXPECT_TRUE(audio.connected());
    EXPECT_TRUE(playing(*sound));
}

// A machine without a sound card: the game says so once, in its own words,
// instead of the sound library's lines, and a retry adds nothing.
TEST(SdlAudio, NoSoundCardIsOneLineOfOurs) {
    SDL_setenv("SDL_AUDIODRIVER", "alsa", 1);
    SDL_setenv("AUDIODEV", "hw:97", 1); // a card no machine has
    SdlAudio audio;
    testing::internal::CaptureStderr();
    auto device = AudioDevice::open(audio);
    AudioDevice* again = device ? nullptr : AudioDevice::open(audio).release();
    const std::string said = testing::internal::GetCapturedStderr();
    delete again;
    if (device) GTEST_SKIP() << "ALSA opened a card here";
    EXPECT_EQ(said.find("ALSA lib"), std::string::npos) << said;
    const auto ours = said.find("the game plays silent");
    EXPECT_NE(ours, std::string::npos) << said;
    EXPECT_EQ(said.find("the game plays silent", ours + 1), std::string::npos) << said;
}

} // namespace
} // namespace vandrel
