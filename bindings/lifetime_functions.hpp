#pragma once
// init, run, poll, shouldClose and closeWindow: the engine's life as the script sees it; and
// which renderer it draws with.

#include <pybind11/pybind11.h>

#include <string>

namespace qel {

// `offscreen`: no window, no surface and no display; frames are drawn into an image.
void init(const pybind11::list& items, int width, int height, bool offscreen = false);
void run();
void poll();
bool shouldClose();
void closeWindow();
// The name of the engine's renderer: "tiles" or "raster".
std::string getRenderer();

}  // namespace qel
