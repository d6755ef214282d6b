#pragma once
// Sprite properties beyond its place: angle, anchor, scale, flipX, flipY, opacity, tint and
// smooth, each readable and writable.

#include <pybind11/pybind11.h>

namespace qel {

// Adds the properties to the registered Sprite class.
void registerSpriteLooks(pybind11::module_& m);

}  // namespace qel
