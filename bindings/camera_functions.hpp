#pragma once
// The camera: where the world is seen from, the layers it leaves alone, and conversions
// between window and world points.

#include <pybind11/pybind11.h>

namespace qel {

// Adds setCamera, getCamera, setLayerFixed, screenToWorld and worldToScreen.
void registerCameraFunctions(pybind11::module_& m);

}  // namespace qel
