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
            std::shared_ptr<const orv::SoundBuffer> buffer;
            try {
                // Reading and decoding touch no Python object: other threads run meanwhile.
                py::gil_scoped_release release;
                buffer = system.loadSound(file);
            } catch (const std::runtime_error& e) {
                cannotLoad(file, e);
            }
            return Sound{std::move(buffer), file};
        },
        py::arg("path"),
        R"doc(Decodes a sound file into a Sound, ready to play at once as often as wanted.

WAV, OGG Vorbis, FLAC and MP3 files are read whole and mixed down to mono. Loading the
same file again while a Sound of it is held shares the decoded samples.

Args:
    path (str | bytes | os.PathLike): the sound file.

Returns:
    Sound: the decoded sound.

Raises:
    RuntimeError: when the file cannot be read or decoded ("cannot load <path>: <reason>"),
        or audio cannot start.
    TypeError: when path is not a str, bytes or os.PathLike.
    ValueError: when path holds a NUL character.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> sound = qel.loadSound(path)
    >>> sound.duration
    1.0
    >>> voice = sound.play(volume=0.5)
)doc");
    m.def(
        "playMusic",
        [](const py::object& path, bool loop, double volume, double fade_in) {
            const std::string file = pathArgument(path);
            const float gain = checkedRange(volume, 0.0, 1.0, "volume");
            checkedRange(fade_in, 0.0, kMaxFade, "fade_in");
            orv::AudioSystem& system = audio();
            py::gil_scoped_release release;
            std::unique_ptr<orv::MusicDecoder> decoder;
            try {
                decoder = std::make_unique<orv::MusicDecoder>(file);
            } catch (const std::runtime_error& e) {
                py::gil_scoped_acquire acquire;
                cannotLoad(file, e);
            }
            system.music().play(std::move(decoder), loop, gain, fade_in);
        },
        py::arg("path"), py::arg("loop") = true, py::arg("volume") = 1.0, py::arg("fade_in") = 0.0,
        R"doc(Streams a music file from disk, replacing any music playing.

Music is read a little at a time while it plays (WAV, OGG Vorbis, FLAC or MP3, mono or
stereo), so a long piece costs little memory. One piece plays at a time, beside the sounds.

Args:
    path (str | bytes | os.PathLike): the music file.
    loop (bool): start again from the beginning at the end. Default True.
    volume (float): gain from 0.0 (silent) to 1.0 (as recorded). Default 1.0.
    fade_in (float): seconds to rise from silence to volume, 0 to 3600. Default 0.0.

Returns:
    None

Raises:
    RuntimeError: when the file cannot be read or decoded ("cannot load <path>: <reason>"),
        or audio cannot start.
    TypeError: when path is not a path, or a number is not a number.
    ValueError: when volume or fade_in is out of range, or path holds a NUL character.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> qel.playMusic(path, loop=True, volume=0.8, fade_in=2.0)
    >>> qel.musicPlaying()
    True
    >>> qel.stopMusic()
)doc");
    m.def(
        "stopMusic",
        [](double fade_out) {
            checkedRange(fade_out, 0.0, kMaxFade, "fade_out");
            audio().music().stop(fade_out);
        },
        py::arg("fade_out") = 0.0,
        R"doc(Stops the music, at once or after fading it to silence.

While it fades out the music still counts as playing (musicPlaying). Stopping when no
music plays does nothing.

Args:
    fade_out (float): seconds to fall to silence, 0 to 3600; 0 stops at once. Default 0.0.

Returns:
    None

Raises:
    RuntimeError: when audio cannot start.
    ValueError: when fade_out is out of range.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> qel.playMusic(path)
    >>> qel.stopMusic(fade_out=0.5)
    >>> qel.musicPlaying()
    True
    >>> qel.stopMusic()
    >>> qel.musicPlaying()
    False
)doc");
    m.def("pauseMusic", [] { audio().music().pause(); },
          R"doc(Holds the music where it is, to go on from there with resumeMusic.

A fade under way holds too, and goes on from where it was. Does nothing when no music plays.

Returns:
    None

Raises:
    RuntimeError: when audio cannot start.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> qel.playMusic(path)
    >>> qel.pauseMusic()
    >>> qel.musicPlaying()
    False
    >>> qel.resumeMusic()
    >>> qel.musicPlaying()
    True
    >>> qel.stopMusic()
)doc");
    m.def("resumeMusic", [] { audio().music().resume(); },
          R"doc(Goes on with music held by pauseMusic, from where it was held.

Does nothing when the music is not paused.

Returns:
    None

Raises:
    RuntimeError: when audio cannot start.

Example:
    >>> import os, tempfile, wave
    >>> path = os.path.join(tempfile.mkdtemp(), "hum.wav")
    >>> with wave.open(path, "wb") as w:
    ...     w.setparams((1, 2, 8000, 0, "NONE", None)); w.writeframes(bytes(16000))
    >>> qel.playMusic(path)
    >>> qel.pauseMusic()
    >>> qel.resumeMusic()
    >>> qel.musicPlaying()
    True
    >>> qel.stopMusic()
)doc");
    m.def("musicPlaying", [] { return audio().music().playing(); },
          R"doc(Tells whether music is sounding.

Returns:
    bool: True while music plays or fades out; False when none was started, or it is
    paused, stopped, or at its end without loop.

Raises:
    RuntimeError: when audio cannot start.

Example:
    >>> qel.musicPlaying()
    False
)doc");
    m.def(
        "setMasterVolume", [](double volume) { audio().setMasterVolume(checkedRange(volume, 0.0, 1.0, "volume")); },
        py::arg("volume"),
        R"doc(Scales the loudness of every sound and of the music together.

Args:
    volume (float): gain from 0.0 (silent) to 1.0 (the default: each as its own volume says).

Returns:
    None

Raises:
    RuntimeError: when audio cannot start.
    TypeError: when volume is not a number.
    ValueError: when volume is out of range.

Example:
    >>> qel.setMasterVolume(0.5)
    >>> qel.setMasterVolume(1.0)
)doc");
    m.def("audioDevice", [] { return audio().device().name(); },
          R"doc(Names the audio output device qel plays through.

Without one (no sound card, or none that opens) everything plays silently, and qel says so
once with a RuntimeWarning unless it is quiet.

Returns:
    str: the device's name, or "none" when there is no device.

Raises:
    RuntimeError: when audio cannot start.

Example:
    >>> isinstance(qel.audioDevice(), str)
    True
)doc");
}

}  // namespace qel
