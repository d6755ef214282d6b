#include "audio/voice_pool.hpp"

#include <AL/al.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace orv {

VoicePool::VoicePool() {
    alGetError();
    for (size_t i = 0; i < kVoices; ++i) {
        ALuint* sources = slots_[i].sources;
        alGenSources(2, sources);
        if (alGetError() != AL_NO_ERROR) {
            for (size_t j = 0; j < i; ++j) alDeleteSources(2, slots_[j].sources);
            throw std::runtime_error("OpenAL cannot make " + std::to_string(2 * kVoices) + " sources");
        }
        for (int side = 0; side < 2; ++side) {
            // Relative to the listener, straight to one side, with no distance fall-off.
            alSourcei(sources[side], AL_SOURCE_RELATIVE, AL_TRUE);
            alSourcef(sources[side], AL_ROLLOFF_FACTOR, 0.0f);
            alSource3f(sources[side], AL_POSITION, side == 0 ? -1.0f : 1.0f, 0.0f, 0.0f);
        }
    }
}

VoicePool::~VoicePool() {
    for (Slot& slot : slots_) {
        release(slot);
        alDeleteSources(2, slot.sources);
    }
}

bool VoicePool::busy(const Slot& slot) {
    if (!slot.buffer) return false;
    ALint state = AL_STOPPED;
    alGetSourcei(slot.sources[0], AL_SOURCE_STATE, &state);
    return state == AL_PLAYING || state == AL_PAUSED;
}

void VoicePool::release(Slot& slot) {
    alSourceStopv(2, slot.sources);
    for (ALuint source : slot.sources) alSourcei(source, AL_BUFFER, 0);
    slot.buffer.reset();
}

void VoicePool::setGains(const Slot& slot, float volume, float pan) {
    // Equal power: the two sides' squared gains always add up to volume squared.
    constexpr float kQuarterTurn = 0.78539816f;  // pi / 4
    const float angle = (pan + 1.0f) * kQuarterTurn;
    alSourcef(slot.sources[0], AL_GAIN, volume * std::cos(angle));
    alSourcef(slot.sources[1], AL_GAIN, volume * std::sin(angle));
}

VoicePool::Slot* VoicePool::current(VoiceId voice) {
    if (voice.generation == 0 || voice.slot >= kVoices) return nullptr;
    Slot& slot = slots_[voice.slot];
    return slot.generation == voice.generation ? &slot : nullptr;
}

VoiceId VoicePool::play(std::shared_ptr<const SoundBuffer> buffer, const PlaySettings& settings) {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot* chosen = nullptr;
    Slot* oldest = nullptr;
    Slot* oldestOnce = nullptr;
    for (Slot& slot : slots_) {
        if (!busy(slot)) {
            chosen = &slot;
            break;
        }
        if (!oldest || slot.startedAt < oldest->startedAt) oldest = &slot;
        if (!slot.loop && (!oldestOnce || slot.startedAt < oldestOnce->startedAt)) oldestOnce = &slot;
    }
    if (!chosen) chosen = oldestOnce ? oldestOnce : oldest;
    release(*chosen);
    for (ALuint source : chosen->sources) {
        alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer->id()));
        alSourcef(source, AL_PITCH, settings.pitch);
        alSourcei(source, AL_LOOPING, settings.loop ? AL_TRUE : AL_FALSE);
    }
    setGains(*chosen, settings.volume, settings.pan);
    chosen->volume = settings.volume;
    chosen->pan = settings.pan;
    // Both sides start in the same mixing update, so they stay sample for sample together.
    alSourcePlayv(2, chosen->sources);
    chosen->buffer = std::move(buffer);
    chosen->loop = settings.loop;
    chosen->startedAt = ++plays_;
    chosen->generation = ++generations_;
    return VoiceId{static_cast<uint32_t>(chosen - slots_.data()), chosen->generation};
}

void VoicePool::stop(VoiceId voice) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Slot* slot = current(voice)) release(*slot);
}

void VoicePool::pause(VoiceId voice) {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot* slot = current(voice);
    if (slot && busy(*slot)) alSourcePausev(2, slot->sources);
}

void VoicePool::resume(VoiceId voice) {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot* slot = current(voice);
    if (!slot || !slot->buffer) return;
    ALint state = AL_STOPPED;
    alGetSourcei(slot->sources[0], AL_SOURCE_STATE, &state);
    if (state == AL_PAUSED) alSourcePlayv(2, slot->sources);
}

bool VoicePool::playing(VoiceId voice) {
    std::lock_guard<std::mutex> lock(mutex_);
    Slot* slot = current(voice);
    return slot && busy(*slot);
}

void VoicePool::setVolume(VoiceId voice, float volume) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Slot* slot = current(voice)) {
        slot->volume = volume;
        setGains(*slot, slot->volume, slot->pan);
    }
}

void VoicePool::setPan(VoiceId voice, float pan) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (Slot* slot = current(voice)) {
        slot->pan = pan;
        setGains(*slot, slot->volume, slot->pan);
    }
}

void VoicePool::releaseFinished() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Slot& slot : slots_) {
        if (slot.buffer && !busy(slot)) release(slot);
    }
}

}  // namespace orv
