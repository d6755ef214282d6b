#pragma once
// createLine, createPolygon, createTriangle, createRect and createDisc: shapes with keyword
// arguments, colours in the one colour syntax (alpha included), outlines and turns.

#include <pybind11/pybind11.h>

namespace qel {

// Registers the Line and Polygon classes and the functions that make shapes.
void registerShapeFunctions(pybind11::module_& m);

}  // namespace qel
