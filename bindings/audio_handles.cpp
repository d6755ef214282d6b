#include "bindings/audio_handles.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "bindings/python_output.hpp"

namespace py = pybind11;

namespace qel {

namespace {

constexpr double kMinPitch = 0.125;
constexpr double kMaxPitch = 8.0;

// A voice of audio that has since been shut down (interpreter exit) controls nothing.
orv::VoicePool* poolOf(const Voice& voice) {
    if (!orv::AudioSystem::running() || !voice.heldFor || !voice.heldFor->alive()) return nullptr;
    return &orv::AudioSystem::get().voices();
}

}  // namespace

orv::AudioSystem& audio() {
    static bool warned = false;
    const bool starting = !orv::AudioSystem::running();
    orv::AudioSystem* system = nullptr;
    try {
        system = &orv::AudioSystem::get();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(std::string("audio cannot start: ") + e.what());
    }
    if (starting && system->device().isVoid() && !warned && !isQuiet()) {
        warned = true;
        if (PyErr_WarnEx(PyExc_RuntimeWarning, "qel: no audio output device; sounds and music play silently", 1) !=
            0) {
            throw py::error_already_set();
        }
    }
    return *system;
}

float checkedRange(double value, double low, double high, const char* what) {
    if (!(value >= low && value <= high)) {
        throw py::value_error(std::string(what) + " must be from " + py::repr(py::float_(low)).cast<std::string>() +
                              " to " + py::repr(py::float_(high)).cast<std::string>() + ", not " +
                              py::repr(py::float_(value)).cast<std::string>());
    }
    return static_cast<float>(value);
}

void registerAudioClasses(py::module_& m) {
    py::class_<Voice>(m, "Voice", "One playing of a Sound, returned by Sound.play.")
        .def("stop", [](const Voice& v) { if (auto* pool = poolOf(v)) pool->stop(v.id); },
             "Silences the voice; it cannot be resumed.")
        .def("pause", [](const Voice& v) { if (auto* pool = poolOf(v)) pool->pause(v.id); },
             "Holds the voice where it is.")
        .def("resume", [](const Voice& v) { if (auto* pool = poolOf(v)) pool->resume(v.id); },
             "Goes on after pause.")
        .def_property_readonly(
            "playing", [](const Voice& v) { auto* pool = poolOf(v); return pool && pool->playing(v.id); },
            "Whether the voice still holds its sound: playing or paused, not stopped, finished or taken by "
            "another play.")
        .def_property(
            "volume", [](const Voice& v) { return v.volume; },
            [](Voice& v, double volume) {
                v.volume = checkedRange(volume, 0.0, 1.0, "volume");
                if (auto* pool = poolOf(v)) pool->setVolume(v.id, v.volume);
            },
            "Gain from 0.0 to 1.0.")
        .def_property(
            "pan", [](const Voice& v) { return v.pan; },
            [](Voice& v, double pan) {
                v.pan = checkedRange(pan, -1.0, 1.0, "pan");
                if (auto* pool = poolOf(v)) pool->setPan(v.id, v.pan);
            },
            "-1.0 left only, 0.0 centre (each side at equal power), 1.0 right only.");

    py::class_<Sound>(m, "Sound", "A decoded sound file, made by loadSound.")
        .def_property_readonly("duration", [](const Sound& s) { return s.buffer->duration(); },
                               "Length in seconds.")
        .def_property_readonly(
            "path",
            [](const Sound& s) {
                // Back as os.fsdecode gives it, so a name that is not UTF-8 still reads.
                return py::reinterpret_steal<py::str>(
                    PyUnicode_DecodeFSDefaultAndSize(s.path.data(), static_cast<Py_ssize_t>(s.path.size())));
            },
            "The file it was loaded from.")
        .def("__eq__", [](const Sound& a, const Sound& b) { return a.buffer == b.buffer; }, py::is_operator())
        .def("__hash__", [](const Sound& s) { return std::hash<const void*>()(s.buffer.get()); })
        .def(
            "play",
            [](const Sound& s, double volume, double pan, bool loop, double pitch) {
                orv::PlaySettings settings;
                settings.volume = checkedRange(volume, 0.0, 1.0, "volume");
                settings.pan = checkedRange(pan, -1.0, 1.0, "pan");
                settings.pitch = checkedRange(pitch, kMinPitch, kMaxPitch, "pitch");
                settings.loop = loop;
                orv::AudioSystem& system = audio();
                if (!s.buffer->alive()) {
                    throw std::runtime_error("the sound was loaded before audio stopped: load it again");
                }
                return Voice{system.voices().play(s.buffer, settings), s.buffer, settings.volume, settings.pan};
            },
            py::arg("volume") = 1.0, py::arg("pan") = 0.0, py::arg("loop") = false, py::arg("pitch") = 1.0,
            "Plays the sound on a free voice (32 at once; when all are busy the oldest that does not loop is "
            "taken). volume 0.0 to 1.0; pan -1.0 (left) to 1.0 (right); loop: repeat until stopped; pitch 0.125 "
            "to 8.0 (2.0: an octave up and twice as fast).");
}

}  // namespace qel
