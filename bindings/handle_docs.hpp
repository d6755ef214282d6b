#pragma once
// Docstrings of the methods the drawn handles (Line, Polygon, Sprite, Text) share: they differ
// only in the handle's name and the example lines that make one.

#include <string>

namespace qel {

struct HandleDoc {
    std::string noun;    // "line"
    std::string var;     // the example's variable: "line"
    std::string create;  // doctest lines that set `var`, each ending in a newline
};

// pybind11 keeps the pointers: the texts live as long as the module.
const char* keepDoc(std::string text);
const char* layerDoc(const HandleDoc& handle);
const char* removeDoc(const HandleDoc& handle);
// `colour` is the example's argument, as Python source.
const char* colourDoc(const HandleDoc& handle, const std::string& colour);

}  // namespace qel
