#pragma once
// The OpenAL device and context every sound and the music play through. Without an output
// device (a server, CI) a loopback device is mixed on our own thread at the real rate and
// the result dropped, so sources still start, advance and finish.

#include <atomic>
#include <string>
#include <thread>

struct ALCdevice_struct;
struct ALCcontext_struct;

namespace orv {

class AudioDevice {
public:
    // Throws std::runtime_error when OpenAL cannot even mix into the void.
    AudioDevice();
    ~AudioDevice();
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;

    // The output device's name, or "none".
    const std::string& name() const { return name_; }
    bool isVoid() const { return void_; }

private:
    void mixIntoTheVoid();

    ALCdevice_struct* device_ = nullptr;
    ALCcontext_struct* context_ = nullptr;
    std::string name_;
    bool void_ = false;
    std::atomic<bool> stopping_{false};
    std::thread voidMixer_;
};

}  // namespace orv
