#pragma once
// init, run, poll, shouldClose and closeWindow: the engine's life as the script sees it; and
// which renderer it draws with.

#include <pybind11/pybind11.h>

#include <string>

#include "engine/engine_options.hpp"

namespace orv {
class OrvApp;
}

namespace qel {

// The options beyond the size: no window (offscreen), the window's title and behaviour,
// its background and icon, whether qel prints.
void init(const pybind11::list& items, int width, int height, const orv::EngineOptions& options = {});
// Registers init with its keyword-only options.
void registerInit(pybind11::module_& m);
void run();
void poll();
// What the script sees as the drawing area follows the size of the last recorded frame.
void followDrawnSize(orv::OrvApp& app);
bool shouldClose();
void closeWindow();
// The name of the engine's renderer: "tiles" or "raster".
std::string getRenderer();

}  // namespace qel
