#pragma once
// The colour syntax where the specified functions took only packed ints: updateColor's
// second overload, and the window's background.

#include <pybind11/pybind11.h>

namespace qel {

// Adds updateColor(id, colour) for text and tuples beside the int one, and setBackground.
void registerColourFunctions(pybind11::module_& m);

}  // namespace qel
