#pragma once
// Everything init's keyword options ask of the engine beyond its size and renderer.

#include <cstdint>
#include <string>

#include "platform/window_options.hpp"

namespace orv {

struct EngineOptions {
    // No window, no surface and no display: frames are drawn into an image of our own.
    bool offscreen = false;
    WindowOptions window;
    // Present in step with the display (FIFO); off: as fast as the present modes allow.
    bool vsync = true;
    // A picture file for the window's icon; empty keeps the window system's default.
    std::string iconPath;
    // What a frame shows where nothing is drawn, packed RGBA (red in the low byte): #030303.
    std::uint32_t background = 0xFF030303u;
};

}  // namespace orv
