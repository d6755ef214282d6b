#include "audio/audio_system.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace orv {
namespace {

// A 16-bit mono PCM WAV of a sine, `frames` long; `claimed` frames in its header.
std::vector<uint8_t> sineWav(uint32_t frames, uint32_t claimed, uint32_t rate = 22050) {
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto tag = [&out](const char* t) { out.insert(out.end(), t, t + 4); };
    tag("RIFF");
    put(36 + claimed * 2, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);
    put(1, 2);
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(claimed * 2, 4);
    for (uint32_t i = 0; i < frames; ++i) put(static_cast<uint16_t>(std::lround(8000 * std::sin(i * 0.1))), 2);
    return out;
}

std::string writeTemp(const std::vector<uint8_t>& bytes) {
    char name[] = "/tmp/qel-audio-test-XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    FILE* f = fdopen(fd, "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    return name;
}

TEST(SoundDecoder, CutShortAndNotAudioAreRefused) {
    const auto whole = sineWav(2205, 2205);
    const DecodedSound sound = decodeSound(whole.data(), whole.size());
    EXPECT_EQ(sound.samples.size(), 2205u);
    EXPECT_DOUBLE_EQ(sound.duration(), 0.1);
    const auto cut = sineWav(1000, 2205);
    EXPECT_THROW(decodeSound(cut.data(), cut.size()), std::runtime_error);
    const std::string text = "not a sound";
    EXPECT_THROW(decodeSound(reinterpret_cast<const uint8_t*>(text.data()), text.size()), std::runtime_error);
}

// The music thread refills and fades while the caller starts, pauses and stops; a buffer
// still held when the audio stops is released afterwards without touching OpenAL.
TEST(AudioSystem, MusicAndVoicesFromTwoThreadsThenShutdown) {
    const std::string music = writeTemp(sineWav(22050, 22050));
    const std::string blip = writeTemp(sineWav(500, 500));
    AudioSystem& audio = AudioSystem::get();
    audio.setMasterVolume(0.0f);  // a developer machine with speakers stays quiet
    std::shared_ptr<const SoundBuffer> held = audio.loadSound(blip);
    EXPECT_EQ(held, audio.loadSound(blip));
    for (int round = 0; round < 20; ++round) {
        audio.music().play(std::make_unique<MusicDecoder>(music), round % 2 == 0, 0.5f, 0.02);
        const VoiceId voice = audio.voices().play(held, PlaySettings{});
        std::this_thread::sleep_for(std::chrono::milliseconds(15));
        if (round % 3 == 0) audio.music().pause();
        audio.voices().setPan(voice, -0.5f);
        audio.music().resume();
        audio.music().stop(round % 2 == 0 ? 0.01 : 0.0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(audio.music().playing());
    AudioSystem::shutdown();
    EXPECT_FALSE(AudioSystem::running());
    EXPECT_FALSE(held->alive());
    held.reset();
    std::remove(music.c_str());
    std::remove(blip.c_str());
}

}  // namespace
}  // namespace orv
