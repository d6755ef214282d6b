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
    m.def("setTitle", &setTitle, py::arg("title"), R"doc(Sets the window's title.

Offscreen, nothing changes.

Args:
    title (str): the new title.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first") or once the window is
        closed ("the window is closed: call qel.init() to open a new one").
    ValueError: when the title holds a NUL character.
    TypeError: when ``title`` is not text.

Example:
    >>> qel.setTitle("Level 2")
)doc");
    m.def("setFullscreen", &setFullscreen, py::arg("fullscreen"), R"doc(Switches the window to full screen or back.

Full screen covers the primary monitor at its current video mode; windowed gives back the
size and place the window had (or, for a window opened full screen, ``init``'s size in the
middle of the monitor). ``getWindowWidth()`` and ``getWindowHeight()`` tell the new size at
once. Offscreen, nothing changes.

Args:
    fullscreen (bool): True to cover the monitor, False for the windowed size.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first") or once the window is
        closed ("the window is closed: call qel.init() to open a new one").
    TypeError: when ``fullscreen`` is not a bool.

Example:
    >>> qel.setFullscreen(False)
    >>> qel.getWindowWidth(), qel.getWindowHeight()
    (320, 240)
)doc");
    m.def("setCursorVisible", &setCursorVisible, py::arg("visible"), R"doc(Shows or hides the mouse cursor over the window.

Offscreen, nothing changes.

Args:
    visible (bool): True to show the cursor, False to hide it.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first") or once the window is
        closed ("the window is closed: call qel.init() to open a new one").
    TypeError: when ``visible`` is not a bool.

Example:
    >>> qel.setCursorVisible(False)
    >>> qel.setCursorVisible(True)
)doc");
}

}  // namespace qel
