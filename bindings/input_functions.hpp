#pragma once
// Keys, mouse buttons, the cursor, the wheel and typed text, by name; and the events a
// script injects to play itself.

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "platform/point2d.hpp"

namespace qel {

bool buttonDown(const std::string& name);
bool buttonComboDown(const std::vector<std::string>& names);
bool buttonClicked(const std::string& name);
Point2D getCursor();

// keyDown, mousePressed, clicks, scroll, typedText, inject* and the rest.
void registerInputFunctions(pybind11::module_& m);

}  // namespace qel
