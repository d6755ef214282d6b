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
    const uint32_t id = requireEngine().scene().add(orv::makeLine(x1, y1, x2, y2, width, rgba));
    return Line{id, x1, y1, x2, y2, width, 0.0};
}

Polygon createPolygon(const py::object& points, const py::object& color, double outline) {
    std::vector<Point2D> given = pointsArgument(points);
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().scene().add(orv::makePolygon(given, rgba, outline));
    return Polygon{id, std::move(given), Point2D{}, 0.0, outline};
}

Polygon createTriangle(double x1, double y1, double x2, double y2, double x3, double y3, const py::object& color,
                       double outline) {
    std::vector<Point2D> given{{x1, y1}, {x2, y2}, {x3, y3}};
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().scene().add(orv::makePolygon(given, rgba, outline));
    return Polygon{id, std::move(given), Point2D{}, 0.0, outline};
}

Rect createRect(double x, double y, double width, double height, const py::object& color, double outline,
                double angle, double radius) {
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().scene().add(orv::makeRect(x, y, width, height, rgba, outline, angle, radius));
    Rect handle{id, Point2D{x, y}, height, width, 0.0};
    handle.angle = angle;
    handle.outline = outline;
    return handle;
}

Disc createDisc(double x, double y, double radius, const py::object& color, double outline) {
    const uint32_t rgba = colourArgument(color);
    const uint32_t id = requireEngine().scene().add(orv::makeDisc(x, y, radius, rgba, outline));
    Disc handle{id, Point2D{x, y}, radius, 0.0};
    handle.outline = outline;
    return handle;
}

}  // namespace

void registerShapeFunctions(py::module_& m) {
    registerDrawnShapeClasses(m);
    m.def("createLine", &createLine, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"),
          py::arg("width") = 1.0, py::arg("color") = "white",
          R"doc(Draws a straight line from (x1, y1) to (x2, y2).

Its ends are square and stop at the given points.

Args:
    x1 (float): the first end's x, in pixels from the left.
    y1 (float): the first end's y, in pixels from the top.
    x2 (float): the second end's x, in pixels.
    y2 (float): the second end's y, in pixels.
    width (float): how wide it is, in pixels, 0 or more (0 draws nothing). Default 1.0.
    color (str | tuple | int): a colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as 'red',
        (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB. Default 'white'.

Returns:
    Line: its handle.

Raises:
    RuntimeError: before qel.init().
    TypeError: when a coordinate or width is not a number.
    ValueError: when an end is not finite, width is negative or not finite, or color is not a
        colour.

Example:
    >>> line = qel.createLine(10, 20, 110, 20, width=3, color="red")
    >>> line.points
    ((10.0, 20.0), (110.0, 20.0))
    >>> line.remove()
    True
)doc");
    m.def("createPolygon", &createPolygon, py::arg("points"), py::arg("color"), py::kw_only(),
          py::arg("outline") = 0.0,
          R"doc(Draws a filled or outlined polygon through the given points.

The polygon may be convex or not, but its sides must not cross or touch each other: give
its outline once round.

Args:
    points (Sequence[tuple[float, float]]): 3 to 10000 (x, y) points, in pixels, in order
        round the polygon (either way round).
    color (str | tuple | int): a colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as 'red',
        (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.
    outline (float): keyword only: 0 fills it; more draws only a strip that many pixels wide
        inside its sides. Default 0.0.

Returns:
    Polygon: its handle.

Raises:
    RuntimeError: before qel.init().
    TypeError: when points is not a sequence of (x, y) pairs of numbers.
    ValueError: when there are fewer than 3 or more than 10000 points, a point is not finite,
        the sides cross or touch, the points enclose no area, outline is negative, or color is
        not a colour.

Example:
    >>> arrow = qel.createPolygon([(10, 10), (60, 35), (10, 60), (25, 35)], "#ffcc00")
    >>> arrow.points[1]
    (60.0, 35.0)
    >>> arrow.remove()
    True
)doc");
    m.def("createTriangle", &createTriangle, py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"), py::arg("x3"),
          py::arg("y3"), py::arg("color"), py::kw_only(), py::arg("outline") = 0.0,
          R"doc(Draws a filled or outlined triangle, as createPolygon does with three points.

Args:
    x1 (float): the first corner's x, in pixels from the left.
    y1 (float): the first corner's y, in pixels from the top.
    x2 (float): the second corner's x, in pixels.
    y2 (float): the second corner's y, in pixels.
    x3 (float): the third corner's x, in pixels.
    y3 (float): the third corner's y, in pixels.
    color (str | tuple | int): a colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as 'red',
        (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.
    outline (float): keyword only: 0 fills it; more draws only a strip that many pixels wide
        inside its sides. Default 0.0.

Returns:
    Polygon: its handle.

Raises:
    RuntimeError: before qel.init().
    TypeError: when a coordinate or outline is not a number.
    ValueError: when a corner is not finite, the corners lie on one line, outline is negative,
        or color is not a colour.

Example:
    >>> tri = qel.createTriangle(10, 50, 30, 10, 50, 50, "green", outline=2)
    >>> tri.outline
    2.0
    >>> tri.remove()
    True
)doc");
    m.def("createRect", &createRect, py::arg("x"), py::arg("y"), py::arg("width"), py::arg("height"), py::arg("color"),
          py::kw_only(), py::arg("outline") = 0.0, py::arg("angle") = 0.0, py::arg("radius") = 0.0,
          R"doc(Draws a rectangle, filled or as a frame, turned or not, its corners rounded or not.

Unlike createRectangle it takes width before height, any colour, an outline and an angle,
and prints nothing.

Args:
    x (float): the left edge, in pixels from the left of the window.
    y (float): the top edge, in pixels from the top.
    width (float): its width in pixels.
    height (float): its height in pixels.
    color (str | tuple | int): a colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as 'red',
        (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.
    outline (float): keyword only: 0 fills it; more draws only a frame that many pixels wide
        inside its edge. Default 0.0.
    angle (float): keyword only: how far it is turned about its centre, in degrees clockwise.
        Default 0.0.
    radius (float): keyword only: the corners' radius in pixels, at most half the shorter
        side (larger is taken as that); 0, the default, gives square corners.

Returns:
    Rect: its handle, a Rectangle whose setColor takes every colour form (speed 0); top_left
        stays the unturned corner.

Raises:
    RuntimeError: before qel.init().
    TypeError: when a coordinate, size, outline or angle is not a number.
    ValueError: when outline or radius is negative or not finite, angle is not finite, or
        color is not a colour.

Example:
    >>> r = qel.createRect(20, 30, 80, 40, (0, 128, 255), outline=4, angle=15, radius=8)
    >>> r.width, r.height, r.angle
    (80.0, 40.0, 15.0)
    >>> r.remove()
    True
)doc");
    m.def("createDisc", &createDisc, py::arg("x"), py::arg("y"), py::arg("radius"), py::arg("color"), py::kw_only(),
          py::arg("outline") = 0.0,
          R"doc(Draws a disc, or a ring, centred on (x, y).

Unlike createCircle it takes any colour and an outline, and prints nothing.

Args:
    x (float): the centre's x, in pixels from the left.
    y (float): the centre's y, in pixels from the top.
    radius (float): the radius in pixels, 0 or more.
    color (str | tuple | int): a colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as 'red',
        (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.
    outline (float): keyword only: 0 fills it; more draws only a ring that many pixels wide
        inside its edge. Default 0.0.

Returns:
    Disc: its handle, a Circle whose setColor takes every colour form (speed 0).

Raises:
    RuntimeError: before qel.init().
    TypeError: when a coordinate, radius or outline is not a number.
    ValueError: when radius or outline is negative or not finite, or color is not a colour.

Example:
    >>> ring = qel.createDisc(160, 120, 30, "white", outline=3)
    >>> ring.radius, ring.outline
    (30.0, 3.0)
    >>> ring.remove()
    True
)doc");
}

}  // namespace qel
