#pragma once
// moveTo is called for every moving shape on every frame, so it gets an entry that
// converts the common arguments itself (an exact int and two floats or ints) instead of
// going through the binding layer's general dispatcher. Anything else, keywords
// included, is handed to the bound function, so conversions and error messages stay
// exactly the binding layer's.

#include <pybind11/pybind11.h>

namespace qel {

// Replaces the module's bound moveTo with the fast entry, keeping its docstring.
void installFastMoveTo(pybind11::module_& module);

}  // namespace qel
