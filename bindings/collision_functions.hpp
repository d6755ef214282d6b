#pragma once
// Collisions and region questions by drawn shape: collides, overlapping, objectsIn.

#include <pybind11/pybind11.h>

namespace qel {

void registerCollisionFunctions(pybind11::module_& m);

}  // namespace qel
