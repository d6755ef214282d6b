#pragma once
// The script's handles on audio: Sound (a decoded file) and Voice (one playing of it).

#include <pybind11/pybind11.h>

#include <memory>
#include <string>

#include "audio/audio_system.hpp"

namespace qel {

// The running audio; the first call starts it, warning once when there is no device.
orv::AudioSystem& audio();

// Raises ValueError unless low <= value <= high (NaN included).
float checkedRange(double value, double low, double high, const char* what);

struct Sound {
    std::shared_ptr<const orv::SoundBuffer> buffer;
    std::string path;
};

struct Voice {
    orv::VoiceId id;
    // The audio it plays on: one stopped since (interpreter exit) has another epoch. Not the
    // sound itself, which the voice lets go of once it has finished.
    uint64_t epoch = 0;
    float volume = 1.0f;
    float pan = 0.0f;
};

void registerAudioClasses(pybind11::module_& m);

}  // namespace qel
