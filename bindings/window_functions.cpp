#include "bindings/window_functions.hpp"

#include "bindings/module_state.hpp"
#include "bindings/text_argument.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

void followWindowSize() {
    const VkExtent2D extent = requireEngine().windowExtent();
    windowWidth = static_cast<float>(extent.width);
    windowHeight = static_cast<float>(extent.height);
}

void setTitle(const std::string& title) {
    requireUtf8(title, "a title");
    requireOpenWindow().setTitle(title);
}

void setFullscreen(bool fullscreen) {
    requireOpenWindow().setFullscreen(fullscreen);
    followWindowSize();
}

void setCursorVisible(bool visible) {
    requireOpenWindow().setCursorVisible(visible);
}

void registerWindowFunctions(py::module_& m) {
    m.def("setTitle", &setTitle, py::arg("title"), "Sets the window's title (no effect offscreen).");
    m.def("setFullscreen", &setFullscreen, py::arg("fullscreen"),
          "Switches the window to cover the primary monitor (True) or back to its windowed size and place "
          "(False); getWindowWidth/getWindowHeight report the new size at once (no effect offscreen).");
    m.def("setCursorVisible", &setCursorVisible, py::arg("visible"),
          "Shows (True) or hides (False) the mouse cursor over the window (no effect offscreen).");
}

}  // namespace qel
