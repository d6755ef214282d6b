#pragma once
// A fixed set of voices that sounds play on. A voice is two OpenAL sources playing the same
// buffer in step, one hard left and one hard right, so the pan is our own equal-power law
// on their gains rather than whatever OpenAL's panning does between the speakers. A handle
// to a voice that went to another sound controls nothing and reads as not playing.

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>

#include "audio/sound_buffer.hpp"

namespace orv {

struct VoiceId {
    uint32_t slot = 0;
    uint64_t generation = 0;  // 0: no voice
};

struct PlaySettings {
    float volume = 1.0f;  // 0..1
    float pan = 0.0f;     // -1 left .. 1 right, equal power
    float pitch = 1.0f;
    bool loop = false;
};

class VoicePool {
public:
    static constexpr size_t kVoices = 32;

    // Needs a current OpenAL context. Throws std::runtime_error when OpenAL refuses.
    VoicePool();
    ~VoicePool();
    VoicePool(const VoicePool&) = delete;
    VoicePool& operator=(const VoicePool&) = delete;

    // Plays on a free source; when all are busy, takes the one playing longest that does
    // not loop (or, all looping, the one playing longest).
    VoiceId play(std::shared_ptr<const SoundBuffer> buffer, const PlaySettings& settings);
    void stop(VoiceId voice);
    void pause(VoiceId voice);
    void resume(VoiceId voice);
    bool playing(VoiceId voice);  // true while paused too: the voice still holds its sound
    void setVolume(VoiceId voice, float volume);
    void setPan(VoiceId voice, float pan);
    // Lets go of the sounds of voices that have finished, so a sound no Sound holds is freed.
    void releaseFinished();

private:
    struct Slot {
        unsigned sources[2] = {0, 0};  // left, right
        uint64_t generation = 0;
        uint64_t startedAt = 0;
        bool loop = false;
        float volume = 1.0f;
        float pan = 0.0f;
        std::shared_ptr<const SoundBuffer> buffer;
    };
    Slot* current(VoiceId voice);
    static bool busy(const Slot& slot);
    static void release(Slot& slot);
    static void setGains(const Slot& slot, float volume, float pan);

    std::mutex mutex_;
    std::array<Slot, kVoices> slots_{};
    uint64_t generations_ = 0;
    uint64_t plays_ = 0;
};

}  // namespace orv
