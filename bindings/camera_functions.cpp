#include "bindings/camera_functions.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "bindings/anchor_argument.hpp"
#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

void setCamera(double x, double y, double zoom, double angle, const py::object& anchor) {
    // Converted first: a sequence's items may run Python code that replaces the engine.
    const Anchor at = anchorArgument(anchor);
    if (!std::isfinite(x) || !std::isfinite(y)) {
        throw py::value_error("the camera's x and y must be finite");
    }
    if (!(zoom > 0.0) || !std::isfinite(zoom)) {
        throw py::value_error("the camera's zoom must be finite and above 0");
    }
    if (!std::isfinite(angle)) {
        throw py::value_error("the camera's angle must be finite");
    }
    orv::OrvApp& app = requireEngine();
    // A named anchor is a point of the window as it is now.
    const VkExtent2D window = app.windowExtent();
    orv::Camera& camera = app.scene().view.camera;
    camera.x = x;
    camera.y = y;
    camera.zoom = zoom;
    camera.angle = angle;
    camera.anchorX = at.offsetX(window.width);
    camera.anchorY = at.offsetY(window.height);
}

py::tuple getCamera() {
    const orv::Camera& camera = requireEngine().scene().view.camera;
    return py::make_tuple(camera.x, camera.y, camera.zoom, camera.angle,
                          py::make_tuple(camera.anchorX, camera.anchorY));
}

void setLayerFixed(int32_t layer, bool fixed) {
    std::vector<int32_t>& layers = requireEngine().scene().view.fixedLayers;
    layers.erase(std::remove(layers.begin(), layers.end(), layer), layers.end());
    if (fixed) {
        layers.push_back(layer);
    }
}

py::tuple screenToWorld(double x, double y) {
    const Point2D world = requireEngine().scene().view.camera.toWorld(Point2D{x, y});
    return py::make_tuple(world.x, world.y);
}

py::tuple worldToScreen(double x, double y) {
    const Point2D screen = requireEngine().scene().view.camera.toScreen(Point2D{x, y});
    return py::make_tuple(screen.x, screen.y);
}

}  // namespace

void registerCameraFunctions(py::module_& m) {
    m.def("setCamera", &setCamera, py::arg("x"), py::arg("y"), py::arg("zoom") = 1.0, py::arg("angle") = 0.0,
          py::kw_only(), py::arg("anchor") = py::make_tuple(0, 0),
          R"doc(Points the camera: the world point (x, y) is shown at the window point anchor.

The view is zoomed and turned about that point. Objects on fixed layers (setLayerFixed)
stay in window pixels, as a HUD does. setCamera(0, 0), the default, shows world pixels as
window pixels.

Args:
    x (float): the world x shown at the anchor, in pixels.
    y (float): the world y shown at the anchor, in pixels.
    zoom (float): how many window pixels a world pixel covers, finite and above 0; 2.0 shows
        everything twice as big. Default 1.0.
    angle (float): how far the view is turned about the anchor, in degrees clockwise.
        Default 0.0.
    anchor (str | tuple[float, float]): keyword only: the window point, as (x, y) pixels from
        the top-left corner or a name ('topleft', 'top', 'topright', 'left', 'center', 'right',
        'bottomleft', 'bottom', 'bottomright') taken at the window's size now.
        Default (0, 0).

Returns:
    None

Raises:
    RuntimeError: before qel.init() ("qel.init() must be called first").
    TypeError: when a number is not a number, or anchor is neither a name nor a pair.
    ValueError: when x, y or angle is not finite, zoom is not finite and above 0, or anchor is
        an unknown name.

Example:
    >>> qel.setCamera(100, 50, zoom=2, anchor="center")
    >>> qel.worldToScreen(110, 50)
    (180.0, 120.0)
    >>> qel.setCamera(0, 0)
)doc");
    m.def("getCamera", &getCamera,
          R"doc(Reads the camera as setCamera set it.

Returns:
    tuple: (x, y, zoom, angle, (anchor_x, anchor_y)), the anchor in window pixels.

Raises:
    RuntimeError: before qel.init().

Example:
    >>> qel.getCamera()
    (0.0, 0.0, 1.0, 0.0, (0.0, 0.0))
    >>> qel.setCamera(10, 20, 1.5, 90, anchor="center")
    >>> qel.getCamera()
    (10.0, 20.0, 1.5, 90.0, (160.0, 120.0))
    >>> qel.setCamera(0, 0)
)doc");
    m.def("setLayerFixed", &setLayerFixed, py::arg("layer"), py::arg("fixed") = true,
          R"doc(Keeps a layer out of the camera's view, or gives it back to the camera.

Objects on a fixed layer are drawn, hit and picked in window pixels whatever the camera
does: a score or a menu stays put while the world scrolls.

Args:
    layer (int): the layer, as given to setLayer (a 32-bit int).
    fixed (bool): True to fix it, False to let the camera move it again. Default True.

Returns:
    None

Raises:
    RuntimeError: before qel.init().
    TypeError: when layer is not an int of 32 bits, or fixed not a bool.

Example:
    >>> score = qel.createText(8, 8, "Score: 0", 16, "white")
    >>> score.setLayer(10)
    >>> qel.setLayerFixed(10)
    >>> qel.setCamera(500, 0, zoom=3)
    >>> qel.objectAt(12, 12) == score.id
    True
    >>> qel.setCamera(0, 0)
    >>> qel.setLayerFixed(10, False)
    >>> score.remove()
    True
)doc");
    m.def("screenToWorld", &screenToWorld, py::arg("x"), py::arg("y"),
          R"doc(Converts a window point to the world point the camera shows there.

Use it to turn the cursor into world pixels; worldToScreen goes the other way.

Args:
    x (float): x in window pixels from the left.
    y (float): y in window pixels from the top.

Returns:
    tuple[float, float]: the world point (x, y).

Raises:
    RuntimeError: before qel.init().
    TypeError: when x or y is not a number.

Example:
    >>> qel.setCamera(100, 50, zoom=2, anchor="center")
    >>> qel.screenToWorld(160, 120)
    (100.0, 50.0)
    >>> qel.screenToWorld(180, 120)
    (110.0, 50.0)
    >>> qel.setCamera(0, 0)
)doc");
    m.def("worldToScreen", &worldToScreen, py::arg("x"), py::arg("y"),
          R"doc(Converts a world point to the window point where the camera shows it.

Args:
    x (float): x in world pixels.
    y (float): y in world pixels.

Returns:
    tuple[float, float]: the window point (x, y), in pixels from the top-left corner.

Raises:
    RuntimeError: before qel.init().
    TypeError: when x or y is not a number.

Example:
    >>> qel.setCamera(0, 0, angle=90)
    >>> x, y = qel.worldToScreen(10, 0)
    >>> round(x), round(y)
    (0, 10)
    >>> qel.setCamera(0, 0)
)doc");
}

}  // namespace qel
