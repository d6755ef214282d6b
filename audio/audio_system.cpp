#include "audio/audio_system.hpp"

#include <AL/al.h>

#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "platform/regular_file.hpp"

namespace orv {

namespace {

std::unique_ptr<AudioSystem>& instance() {
    // Never destroyed by static destruction: shutdown() runs at interpreter exit instead,
    // while OpenAL's own statics are certainly alive.
    static auto* system = new std::unique_ptr<AudioSystem>;
    return *system;
}

std::string resolved(const std::string& path) {
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? std::string(buffer) : path;
}

}  // namespace

AudioSystem::AudioSystem() : ownerPid_(static_cast<int>(::getpid())) {}

AudioSystem& AudioSystem::get() {
    auto& system = instance();
    if (forked()) {
        throw std::runtime_error(
            "this process was forked from one that played audio: its device and threads belong to the parent; "
            "start child processes with multiprocessing's 'spawn' method");
    }
    if (!system) system.reset(new AudioSystem);
    return *system;
}

bool AudioSystem::running() { return instance() != nullptr && !forked(); }

bool AudioSystem::forked() {
    const auto& system = instance();
    return system && system->ownerPid_ != static_cast<int>(::getpid());
}

void AudioSystem::shutdown() {
    auto& system = instance();
    if (!system) return;
    if (forked()) {
        // Stopping it here would wait on threads that do not exist in this process (the music
        // thread's condition, the mixer): it is let go, and ends with the process.
        (void)system.release();
        return;
    }
    system.reset();
}

std::shared_ptr<const SoundBuffer> AudioSystem::loadSound(const std::string& path) {
    const std::string key = resolved(path);
    // A voice that has finished still holds its sound: without letting go, a file rewritten
    // since would come back as its old samples though no Sound of it is held.
    voices_.releaseFinished();
    std::lock_guard<std::mutex> lock(soundsMutex_);
    auto found = sounds_.find(key);
    if (found != sounds_.end()) {
        if (auto shared = found->second.lock()) return shared;
    }
    const std::vector<uint8_t> bytes = readRegularFile(path, kMaxSoundFileBytes, "a sound");
    auto buffer = std::make_shared<const SoundBuffer>(decodeSound(bytes.data(), bytes.size()));
    // Entries whose sounds were all released go, so the map stays as small as what is held.
    for (auto it = sounds_.begin(); it != sounds_.end();) {
        it = it->second.expired() ? sounds_.erase(it) : std::next(it);
    }
    sounds_[key] = buffer;
    return buffer;
}

void AudioSystem::setMasterVolume(float volume) { alListenerf(AL_GAIN, volume); }

}  // namespace orv
