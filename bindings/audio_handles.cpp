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
    if (!orv::AudioSystem::running() || voice.epoch != orv::SoundBuffer::currentEpoch()) return nullptr;
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
    py::class_<Voice> voice(m, "Voice", R"doc(One playing of a Sound: stop it, pause it, or change its volume and pan while it plays.

Sound.play returns one. A Voice stays valid after its sound has ended: it then controls
nothing and reads as not playing.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> voice = qel.loadSound(path).play(volume=0.5)
    >>> voice.playing
    True
    >>> voice.stop()
    >>> voice.playing
    False
)doc");
    voice
        .def("stop", [](const Voice& v) { if (auto* pool = poolOf(v)) pool->stop(v.id); },
             R"doc(Silences the voice for good: it cannot be resumed.

Returns:
    None

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> voice = qel.loadSound(path).play(loop=True)
    >>> voice.stop()
    >>> voice.playing
    False
)doc")
        .def("pause", [](const Voice& v) { if (auto* pool = poolOf(v)) pool->pause(v.id); },
             R"doc(Holds the voice where it is, to go on from there with resume.

A paused voice still holds its sound: playing stays True.

Returns:
    None

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> voice = qel.loadSound(path).play()
    >>> voice.pause()
    >>> voice.playing
    True
    >>> voice.stop()
)doc")
        .def("resume", [](const Voice& v) { if (auto* pool = poolOf(v)) pool->resume(v.id); },
             R"doc(Goes on with a voice held by pause; does nothing to one that is not paused.

Returns:
    None

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> voice = qel.loadSound(path).play()
    >>> voice.pause()
    >>> voice.resume()
    >>> voice.stop()
)doc")
        .def_property_readonly(
            "playing", [](const Voice& v) { auto* pool = poolOf(v); return pool && pool->playing(v.id); },
            R"doc(bool: Read-only. Whether the voice still holds its sound (playing or paused); False
once stopped, finished, or taken by another play.)doc")
        .def_property(
            "volume", [](const Voice& v) { return v.volume; },
            py::cpp_function(
                [](Voice& v, double volume) {
                    v.volume = checkedRange(volume, 0.0, 1.0, "volume");
                    if (auto* pool = poolOf(v)) pool->setVolume(v.id, v.volume);
                },
                py::name("volume"), py::is_method(voice), py::arg("volume")),
            R"doc(float: Read/write. The voice's gain from 0.0 (silent) to 1.0 (as recorded);
ValueError outside.)doc")
        .def_property(
            "pan", [](const Voice& v) { return v.pan; },
            py::cpp_function(
                [](Voice& v, double pan) {
                    v.pan = checkedRange(pan, -1.0, 1.0, "pan");
                    if (auto* pool = poolOf(v)) pool->setPan(v.id, v.pan);
                },
                py::name("pan"), py::is_method(voice), py::arg("pan")),
            R"doc(float: Read/write. Where the voice sounds, from -1.0 (left only) through 0.0 (centre,
each side at equal power) to 1.0 (right only); ValueError outside.)doc");

    py::class_<Sound>(m, "Sound", R"doc(A decoded sound file, to play as often as wanted, several times at once.

loadSound returns one. Two Sounds of the same file loaded while either was held are equal.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> sound = qel.loadSound(path)
    >>> sound.duration
    1.0
    >>> sound == qel.loadSound(path)
    True
)doc")
        .def_property_readonly("duration", [](const Sound& s) { return s.buffer->duration(); },
                               "float: Read-only. The sound's length in seconds.")
        .def_property_readonly(
            "path",
            [](const Sound& s) {
                // Back as os.fsdecode gives it, so a name that is not UTF-8 still reads.
                return py::reinterpret_steal<py::str>(
                    PyUnicode_DecodeFSDefaultAndSize(s.path.data(), static_cast<Py_ssize_t>(s.path.size())));
            },
            "str: Read-only. The file it was loaded from, as given to loadSound.")
        .def("__eq__", [](const Sound& a, const Sound& b) { return a.buffer == b.buffer; }, py::is_operator(),
             py::arg("other"), R"doc(Tells whether both hold the same decoded samples (the same file, loaded while held).

Args:
    other (Sound): the sound to compare with.

Returns:
    bool: True for the same samples.
)doc")
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
                return Voice{system.voices().play(s.buffer, settings), s.buffer->epoch(), settings.volume, settings.pan};
            },
            py::arg("volume") = 1.0, py::arg("pan") = 0.0, py::arg("loop") = false, py::arg("pitch") = 1.0,
            R"doc(Plays the sound on a free voice and returns that Voice.

Up to 32 voices sound at once; when all are busy, the oldest that does not loop is taken.

Args:
    volume (float): gain from 0.0 (silent) to 1.0 (as recorded). Default 1.0.
    pan (float): -1.0 (left only) to 1.0 (right only); 0.0, the default, is the centre.
    loop (bool): repeat until the voice is stopped. Default False.
    pitch (float): speed and pitch together, 0.125 to 8.0: 2.0 plays an octave up and
        twice as fast. Default 1.0.

Returns:
    Voice: the playing, to control it.

Raises:
    RuntimeError: when audio cannot start, or the sound was loaded before audio stopped.
    TypeError: when an argument is not a number (loop: not a bool).
    ValueError: when volume, pan or pitch is out of range.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> sound = qel.loadSound(path)
    >>> voice = sound.play(volume=0.8, pan=-0.5, pitch=1.5)
    >>> voice.pan
    -0.5
    >>> voice.stop()
)doc");
}

}  // namespace qel
