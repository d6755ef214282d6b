#pragma once
// setTitle, setFullscreen and setCursorVisible: the window as the script changes it after
// init; and the drawing-area size taken from the window when its size is known at once.

#include <pybind11/pybind11.h>

#include <string>

namespace qel {

// The drawing area the script sees takes the size the next frame is drawn at: after init
// (a full-screen window has the monitor's size) and after a switch to or from full screen.
void followWindowSize();

void setTitle(const std::string& title);
void setFullscreen(bool fullscreen);
void setCursorVisible(bool visible);

// Registers the three functions above, after the ones registered before them.
void registerWindowFunctions(pybind11::module_& m);

}  // namespace qel
