#pragma once
// Handles that only qel's functions make. pybind11 lets `Class.__new__(Class)` allocate one
// without running any constructor, and its methods then read uninitialised memory; these
// classes refuse to be made that way at all.

#include <pybind11/pybind11.h>

namespace qel {

// `cls()`, `cls.__new__(cls)`, `object.__new__(cls)` and the same through a subclass raise
// TypeError; instances the module returns are unaffected (pybind11 does not make them
// through tp_new).
void refuseBareInstances(pybind11::handle cls);

}  // namespace qel
