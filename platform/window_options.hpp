#pragma once
// How the script wants its window: what init's keyword options ask of the window system.

#include <string>

namespace orv {

struct WindowOptions {
    std::string title = "Qel Demo";
    bool resizable = false;
    bool fullscreen = false;
};

}  // namespace orv
