#pragma once
// Columns of numbers from Python for the batch calls: any sequence (list, tuple, range) or
// any one-dimensional buffer (array.array, NumPy arrays of integer or floating types, in
// native byte order). Every value is checked before the caller changes anything.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <vector>

namespace qel {

// Object identifiers: integers from 0 to 4,294,967,295.
void readIdentifiers(pybind11::handle column, const char* name, std::vector<uint32_t>& out);
// Coordinates: numbers of any kind, as doubles.
void readCoordinates(pybind11::handle column, const char* name, std::vector<double>& out);
// Packed colours 0xRRGGBB: integers that fit in 32 bits, signed or not (bits 24 to 31 are
// ignored, as by updateColor).
void readColours(pybind11::handle column, const char* name, std::vector<int32_t>& out);

}  // namespace qel
