#pragma once
// A decoded sound in an OpenAL buffer, shared by every Sound loaded from the same file and
// by the voices playing it. Buffers still held when the audio stops (Python may collect a
// Sound after interpreter exit has closed the device) are deleted then; their owners'
// later release does nothing.

#include <cstdint>
#include <memory>

#include "audio/sound_decoder.hpp"

namespace orv {

class SoundBuffer {
public:
    // Needs a current OpenAL context. Throws std::runtime_error when OpenAL refuses.
    explicit SoundBuffer(const DecodedSound& sound);
    ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    unsigned id() const { return id_; }
    double duration() const { return duration_; }
    // False once the audio it was made for has stopped, and in a forked child.
    bool alive() const;
    uint64_t epoch() const { return epoch_; }
    // The audio's epoch now: a buffer of another epoch belongs to audio since stopped.
    static uint64_t currentEpoch();

private:
    unsigned id_ = 0;
    uint64_t epoch_ = 0;
    double duration_ = 0.0;
    int ownerPid_ = 0;
};

// Deletes every buffer still alive; called just before the context goes.
void deleteAllSoundBuffers();

}  // namespace orv
