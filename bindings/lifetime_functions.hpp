#pragma once
// init, run, poll, shouldClose and closeWindow: the engine's life as the script sees it.

#include <pybind11/pybind11.h>

namespace qel {

void init(const pybind11::list& items, int width, int height);
void run();
void poll();
bool shouldClose();
void closeWindow();

}  // namespace qel
