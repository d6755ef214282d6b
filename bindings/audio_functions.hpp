#pragma once
// Sounds, music and the master volume: the module's audio functions.

#include <pybind11/pybind11.h>

namespace qel {

void registerAudioFunctions(pybind11::module_& m);

// Stops all audio; at interpreter exit.
void stopAudio();

}  // namespace qel
