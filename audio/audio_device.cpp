#include "audio/audio_device.hpp"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <vector>

namespace orv {

namespace {

constexpr ALCint kVoidRate = 44100;
constexpr int kVoidBlockMs = 10;

std::string deviceName(ALCdevice* device) {
    const ALCchar* name = nullptr;
    if (alcIsExtensionPresent(device, "ALC_ENUMERATE_ALL_EXT")) {
        name = alcGetString(device, ALC_ALL_DEVICES_SPECIFIER);
    }
    if (!name || !*name) name = alcGetString(device, ALC_DEVICE_SPECIFIER);
    return name && *name ? name : "unnamed";
}

extern "C" void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card, ALSA and OpenAL Soft each print their failures on standard error
// while a device is looked for; qel says so once itself, as a warning a script can silence.
void quietLibraryLogs() {
    setenv("ALSOFT_LOGLEVEL", "0", 0);  // a level the user set stays
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    // The same library instance OpenAL Soft loads; kept open so the handler stays valid.
    if (void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL)) {
        if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
            set(&ignoreAlsaError);
        }
    }
}

}  // namespace

AudioDevice::AudioDevice() {
    quietLibraryLogs();
    device_ = alcOpenDevice(nullptr);
    if (device_) {
        name_ = deviceName(device_);
        // No HRTF even on headphones: a sound panned to one side stays in that ear alone.
        const ALCint attributes[] = {ALC_HRTF_SOFT, ALC_FALSE, 0};
        context_ = alcCreateContext(device_, alcIsExtensionPresent(device_, "ALC_SOFT_HRTF") ? attributes : nullptr);
    }
    if (!context_) {
        if (device_) alcCloseDevice(device_);
        auto openLoopback =
            reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
        device_ = openLoopback ? openLoopback(nullptr) : nullptr;
        if (!device_) throw std::runtime_error("OpenAL has no output device and no loopback device");
        const ALCint loopback[] = {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                                     ALC_SHORT_SOFT,           ALC_FREQUENCY,   kVoidRate,
                                     0};
        context_ = alcCreateContext(device_, loopback);
        if (!context_) {
            alcCloseDevice(device_);
            throw std::runtime_error("OpenAL cannot create a loopback context");
        }
        name_ = "none";
        void_ = true;
    }
    alcMakeContextCurrent(context_);
    if (void_) voidMixer_ = std::thread([this] { mixIntoTheVoid(); });
}

AudioDevice::~AudioDevice() {
    stopping_ = true;
    if (voidMixer_.joinable()) voidMixer_.join();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}

void AudioDevice::mixIntoTheVoid() {
    auto render = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(device_, "alcRenderSamplesSOFT"));
    constexpr ALCsizei frames = kVoidRate * kVoidBlockMs / 1000;
    std::vector<ALshort> block(static_cast<size_t>(frames) * 2);
    auto next = std::chrono::steady_clock::now();
    while (!stopping_) {
        if (render) render(device_, block.data(), frames);
        next += std::chrono::milliseconds(kVoidBlockMs);
        // After a long stall the clock catches up instead of mixing a burst.
        const auto now = std::chrono::steady_clock::now();
        if (next < now - std::chrono::milliseconds(100)) next = now;
        std::this_thread::sleep_until(next);
    }
}

}  // namespace orv
