#pragma once
// One colour syntax for every function added beyond the specified ones: "#rgb", "#rrggbb",
// "#rrggbbaa", (r, g, b) and (r, g, b, a) tuples of 0-255 ints, CSS colour names, and an
// int 0xRRGGBB. Anything else raises ValueError naming what was given.

#include <pybind11/pybind11.h>

#include <cstdint>

namespace qel {

// Packed RGBA, red in the low byte (the draw list's packing).
std::uint32_t colourArgument(const pybind11::handle& colour);

}  // namespace qel
