#pragma once
// The Python classes Point2D, Circle and Rectangle.

#include <pybind11/pybind11.h>

namespace qel {

void registerShapeClasses(pybind11::module_& m);

}  // namespace qel
