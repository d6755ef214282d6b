#include "bindings/audio_functions.hpp"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>

#include "bindings/audio_handles.hpp"
#include "bindings/path_argument.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// An hour: a longer fade is a mistake in units.
constexpr double kMaxFade = 3600.0;

[[noreturn]] void cannotLoad(const std::string& path, const std::runtime_error& e) {
    try {
        throw std::runtime_error("cannot load " + path + ": " + e.what());
    } catch (const std::runtime_error& named) {
        raiseNamingPath(named);
    }
}

}  // namespace

void stopAudio() { orv::AudioSystem::shutdown(); }

void registerAudioFunctions(py::module_& m) {
    registerAudioClasses(m);
    m.def(
        "loadSound",
        [](const py::object& path) {
            const std::string file = pathArgument(path);
            orv::AudioSystem& system = audio();
            try {
                return Sound{system.loadSound(file), file};
            } catch (const std::runtime_error& e) {
                cannotLoad(file, e);
            }
        },
        py::arg("path"),
        "Decodes a sound file (WAV, OGG Vorbis, FLAC, MP3; mixed down to mono) once: loading the same file "
        "again while a Sound of it is held shares it. RuntimeError names the file and the reason.");
    m.def(
        "playMusic",
        [](const py::object& path, bool loop, double volume, double fade_in) {
            const std::string file = pathArgument(path);
            const float gain = checkedRange(volume, 0.0, 1.0, "volume");
            checkedRange(fade_in, 0.0, kMaxFade, "fade_in");
            orv::AudioSystem& system = audio();
            std::unique_ptr<orv::MusicDecoder> decoder;
            try {
                decoder = std::make_unique<orv::MusicDecoder>(file);
            } catch (const std::runtime_error& e) {
                cannotLoad(file, e);
            }
            system.music().play(std::move(decoder), loop, gain, fade_in);
        },
        py::arg("path"), py::arg("loop") = true, py::arg("volume") = 1.0, py::arg("fade_in") = 0.0,
        "Streams a music file (mono or stereo), replacing any music playing. loop: start again at the end; "
        "volume 0.0 to 1.0; fade_in: seconds to rise from silence.");
    m.def(
        "stopMusic",
        [](double fade_out) {
            checkedRange(fade_out, 0.0, kMaxFade, "fade_out");
            audio().music().stop(fade_out);
        },
        py::arg("fade_out") = 0.0, "Stops the music, at once or after fade_out seconds of fading to silence.");
    m.def("pauseMusic", [] { audio().music().pause(); }, "Holds the music where it is.");
    m.def("resumeMusic", [] { audio().music().resume(); }, "Goes on with paused music.");
    m.def("musicPlaying", [] { return audio().music().playing(); },
          "Whether music is sounding: not paused, stopped or at its end (a fade-out still sounds).");
    m.def(
        "setMasterVolume", [](double volume) { audio().setMasterVolume(checkedRange(volume, 0.0, 1.0, "volume")); },
        py::arg("volume"), "Scales every sound and the music: 0.0 to 1.0 (the default).");
    m.def("audioDevice", [] { return audio().device().name(); },
          "The name of the audio output device, or \"none\" when there is none (everything then plays silently).");
}

}  // namespace qel
