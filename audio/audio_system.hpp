#pragma once
// Audio for the whole process: started by the first call that needs it, independent of the
// window and the engine, stopped once at interpreter exit.

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "audio/audio_device.hpp"
#include "audio/music_player.hpp"
#include "audio/sound_buffer.hpp"
#include "audio/voice_pool.hpp"

namespace orv {

class AudioSystem {
public:
    // The running audio, started now if need be. Throws std::runtime_error when OpenAL
    // cannot start at all.
    static AudioSystem& get();
    // Whether get() has started it (and shutdown() not stopped it) in this process.
    static bool running();
    // Whether this process is a child forked from one that started audio: the device, the
    // mixer and the music thread are the parent's, and none of it may be touched here.
    static bool forked();
    // Stops the music thread and every voice, deletes all buffers and closes the device; in a
    // forked child, only lets go of the parent's.
    static void shutdown();

    // The decoded sound of a file; a file already loaded and still held is shared.
    // Throws std::runtime_error with the reason alone.
    std::shared_ptr<const SoundBuffer> loadSound(const std::string& path);

    VoicePool& voices() { return voices_; }
    MusicPlayer& music() { return music_; }
    const AudioDevice& device() const { return device_; }
    void setMasterVolume(float volume);

private:
    AudioSystem();

    // Declared in the order they are made; destroyed the other way, device last.
    AudioDevice device_;
    // Buffers Python still holds are deleted after the sources, before the device.
    struct BufferSweep {
        BufferSweep() = default;
        BufferSweep(const BufferSweep&) = delete;
        BufferSweep& operator=(const BufferSweep&) = delete;
        ~BufferSweep() { deleteAllSoundBuffers(); }
    } sweep_;
    VoicePool voices_;
    MusicPlayer music_;
    std::mutex soundsMutex_;
    std::map<std::string, std::weak_ptr<const SoundBuffer>> sounds_;
    int ownerPid_ = 0;
};

}  // namespace orv
