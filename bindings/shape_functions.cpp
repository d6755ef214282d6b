#include "bindings/shape_functions.hpp"

#include <utility>
#include <vector>

#include "bindings/colour_argument.hpp"
#include "bindings/drawn_shape_handles.hpp"
#include "bindings/module_state.hpp"
#include "bindings/shape_handles.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// Every argument is converted before the engine is taken: a colour's or a point's
// conversion may run Python code, which may replace the engine.

Line createLine(double x1, double y1, double x2, double y2, double width, const py::object& color) {
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().createLine(x1, y1, x2, y2, width, rgba);
    return Line{id, x1, y1, x2, y2, width, 0.0};
}

Polygon createPolygon(const py::object& points, const py::object& color, double outline) {
    std::vector<Point2D> given = pointsArgument(points);
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().createPolygon(given, rgba, outline);
    return Polygon{id, std::move(given), Point2D{}, 0.0, outline};
}

Polygon createTriangle(double x1, double y1, double x2, double y2, double x3, double y3, const py::object& color,
                       double outline) {
    std::vector<Point2D> given{{x1, y1}, {x2, y2}, {x3, y3}};
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().createPolygon(given, rgba, outline);
    return Polygon{id, std::move(given), Point2D{}, 0.0, outline};
}

Rectangle createRect(double x, double y, double width, double height, const py::object& color, double outline,
                     double angle) {
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().createRect(x, y, width, height, rgba, outline, angle);
    Rectangle handle{id, Point2D{x, y}, height, width, 0.0};
    handle.angle = angle;
    handle.outline = outline;
    return handle;
}

Circle createDisc(double x, double y, double radius, const py::object& color, double outline) {
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().createDisc(x, y, radius, rgba, outline);
    Circle handle{id, Point2D{x, y}, radius, 0.0};
    handle.outline = outline;
    return handle;
}

}  // namespace

void registerShapeFunctions(py::module_& m) {
    registerDrawnShapeClasses(m);
    m.def("createLine", &createLine, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"),
          py::arg("width") = 1.0, py::arg("color") = "white",
          "Draws a line from (x1, y1) to (x2, y2), width pixels wide with square ends that stop at the ends, in a "
          "colour such as '#rrggbbaa', 'red' or (r, g, b, a); returns a Line.");
    m.def("createPolygon", &createPolygon, py::arg("points"), py::arg("color"), py::kw_only(),
          py::arg("outline") = 0.0,
          "Draws the polygon through points, a sequence of 3 to 10000 (x, y) pairs, convex or not, whose sides "
          "must not cross or touch (ValueError), in a colour such as '#rrggbbaa'; outline: only a strip that many "
          "pixels wide inside its sides. Returns a Polygon.");
    m.def("createTriangle", &createTriangle, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"), py::arg("x3"),
          py::arg("y3"), py::arg("color"), py::kw_only(), py::arg("outline") = 0.0,
          "Draws the triangle with corners (x1, y1), (x2, y2), (x3, y3), as createPolygon does; returns a Polygon.");
    m.def("createRect", &createRect, py::arg("x"), py::arg("y"), py::arg("width"), py::arg("height"), py::arg("color"),
          py::kw_only(), py::arg("outline") = 0.0, py::arg("angle") = 0.0,
          "Draws a rectangle with its top-left corner at (x, y), width by height, in a colour such as '#rrggbbaa', "
          "'red' or (r, g, b, a); outline: only a frame that many pixels wide inside its edge; angle: turned "
          "clockwise about its centre, in degrees. Returns a Rectangle (speed 0).");
    m.def("createDisc", &createDisc, py::arg("x"), py::arg("y"), py::arg("radius"), py::arg("color"), py::kw_only(),
          py::arg("outline") = 0.0,
          "Draws a disc centred on (x, y) in a colour such as '#rrggbbaa', 'red' or (r, g, b, a); outline: only a "
          "ring that many pixels wide inside its edge. Returns a Circle (speed 0).");
}

}  // namespace qel
