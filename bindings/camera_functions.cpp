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
    orv::Camera& camera = app.view().camera;
    camera.x = x;
    camera.y = y;
    camera.zoom = zoom;
    camera.angle = angle;
    camera.anchorX = at.offsetX(window.width);
    camera.anchorY = at.offsetY(window.height);
}

py::tuple getCamera() {
    const orv::Camera& camera = requireEngine().view().camera;
    return py::make_tuple(camera.x, camera.y, camera.zoom, camera.angle,
                          py::make_tuple(camera.anchorX, camera.anchorY));
}

void setLayerFixed(int32_t layer, bool fixed) {
    std::vector<int32_t>& layers = requireEngine().view().fixedLayers;
    layers.erase(std::remove(layers.begin(), layers.end(), layer), layers.end());
    if (fixed) {
        layers.push_back(layer);
    }
}

py::tuple screenToWorld(double x, double y) {
    const Point2D world = requireEngine().view().camera.toWorld(Point2D{x, y});
    return py::make_tuple(world.x, world.y);
}

py::tuple worldToScreen(double x, double y) {
    const Point2D screen = requireEngine().view().camera.toScreen(Point2D{x, y});
    return py::make_tuple(screen.x, screen.y);
}

}  // namespace

void registerCameraFunctions(py::module_& m) {
    m.def("setCamera", &setCamera, py::arg("x"), py::arg("y"), py::arg("zoom") = 1.0, py::arg("angle") = 0.0,
          py::kw_only(), py::arg("anchor") = py::make_tuple(0, 0),
          "Shows the world point (x, y) at the window point anchor (pixels (x, y), or a named point of the "
          "window such as 'center', taken at the window's size now), zoomed (finite, above 0) and turned by "
          "angle degrees clockwise about it. Objects on fixed layers (setLayerFixed) stay in window pixels. "
          "setCamera(0, 0) is the default: world and window pixels are the same.");
    m.def("getCamera", &getCamera,
          "The camera as set: (x, y, zoom, angle, (anchor_x, anchor_y)), the anchor in window pixels.");
    m.def("setLayerFixed", &setLayerFixed, py::arg("layer"), py::arg("fixed") = true,
          "Whether the camera leaves the layer alone (a HUD): its objects are drawn in window pixels.");
    m.def("screenToWorld", &screenToWorld, py::arg("x"), py::arg("y"),
          "The world point (x, y) the camera shows at the window point (x, y).");
    m.def("worldToScreen", &worldToScreen, py::arg("x"), py::arg("y"),
          "The window point (x, y) where the camera shows the world point (x, y).");
}

}  // namespace qel
