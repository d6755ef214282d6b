#include "audio/sound_buffer.hpp"

#include <AL/al.h>
#include <unistd.h>

#include <mutex>
#include <stdexcept>
#include <unordered_set>

namespace orv {

namespace {

struct Registry {
    std::mutex mutex;
    uint64_t epoch = 1;
    std::unordered_set<ALuint> live;
};

Registry& registry() {
    // Never destroyed: buffers may be released during static destruction.
    static auto* r = new Registry;
    return *r;
}

}  // namespace

SoundBuffer::SoundBuffer(const DecodedSound& sound) : duration_(sound.duration()) {
    alGetError();
    ALuint id = 0;
    alGenBuffers(1, &id);
    if (alGetError() != AL_NO_ERROR) throw std::runtime_error("OpenAL cannot make a buffer");
    alBufferData(id, AL_FORMAT_MONO16, sound.samples.data(),
                 static_cast<ALsizei>(sound.samples.size() * sizeof(int16_t)), sound.sampleRate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &id);
        throw std::runtime_error("OpenAL refused the samples");
    }
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.live.insert(id);
    id_ = id;
    epoch_ = r.epoch;
    ownerPid_ = static_cast<int>(::getpid());
}

SoundBuffer::~SoundBuffer() {
    // In a forked child the buffer is the parent's, and so may be the registry's lock.
    if (ownerPid_ != static_cast<int>(::getpid())) return;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (epoch_ == r.epoch && r.live.erase(id_) != 0) {
        ALuint id = id_;
        alDeleteBuffers(1, &id);
    }
}

bool SoundBuffer::alive() const {
    if (ownerPid_ != static_cast<int>(::getpid())) return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return epoch_ == r.epoch;
}

uint64_t SoundBuffer::currentEpoch() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    return r.epoch;
}

void deleteAllSoundBuffers() {
    Registry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    for (ALuint id : r.live) alDeleteBuffers(1, &id);
    r.live.clear();
    ++r.epoch;
}

}  // namespace orv
