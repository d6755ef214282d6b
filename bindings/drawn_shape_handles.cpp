#include "bindings/drawn_shape_handles.hpp"

#include <pybind11/stl.h>

#include <string>
#include <utility>

#include "bindings/colour_argument.hpp"
#include "bindings/handle_docs.hpp"
#include "bindings/handle_protocol.hpp"
#include "bindings/module_state.hpp"
#include "bindings/shape_handles.hpp"
#include "engine/orv_app.hpp"
#include "engine/polygon_shape.hpp"

namespace py = pybind11;

namespace qel {

namespace {

const HandleDoc kLineDoc{"line", "line", "    >>> line = qel.createLine(0, 0, 50, 50)\n"};
const HandleDoc kDiscDoc{"disc", "disc", "    >>> disc = qel.createDisc(50, 50, 10, \"gold\")\n"};
const HandleDoc kRectDoc{"rectangle", "box", "    >>> box = qel.createRect(0, 0, 9, 9, \"red\")\n"};
const HandleDoc kEllipseDoc{"ellipse", "oval", "    >>> oval = qel.createEllipse(60, 40, 30, 15, \"orange\")\n"};
const HandleDoc kPolygonDoc{"polygon", "tri", "    >>> tri = qel.createTriangle(10, 10, 60, 10, 10, 60, \"orange\")\n"};

constexpr const char* kPointsForm = "points are a sequence of (x, y) pairs of numbers";

std::string typeName(PyObject* value) {
    return Py_TYPE(value)->tp_name;
}

// A tuple of the items, taken once: converting them runs Python code, which could change a list.
py::object itemsOf(PyObject* value) {
    if (PyUnicode_Check(value) || PyBytes_Check(value) || PyByteArray_Check(value) || !PySequence_Check(value)) {
        return py::object();
    }
    py::object items = py::reinterpret_steal<py::object>(PySequence_Tuple(value));
    if (!items) {
        PyErr_Clear();
    }
    return items;
}

double coordinate(PyObject* value, size_t index, const char* axis) {
    const double v = PyUnicode_Check(value) ? -1.0 : PyFloat_AsDouble(value);
    if (PyUnicode_Check(value) || (v == -1.0 && PyErr_Occurred())) {
        PyErr_Clear();
        throw py::type_error(std::string("point ") + std::to_string(index) + ": " + axis + " is " + typeName(value) +
                             ", not a number; " + kPointsForm);
    }
    return v;
}

// The polygon's points where they are drawn now: as given, shifted by its offset in the scene.
py::list pointList(const Polygon& polygon) {
    const orv::GameObject& o = liveObject(polygon);
    py::list out;
    for (const Point2D& p : polygon.points) {
        out.append(py::make_tuple(p.x + o.x, p.y + o.y));
    }
    return out;
}

template <typename Handle>
void setOutline(Handle& handle, double width) {
    orv::OrvApp& app = liveEngine(handle);
    app.scene().setOutline(handle.id, width);
    handle.outline = width;
}

template <typename Handle>
void setAngle(Handle& handle, double degrees) {
    orv::OrvApp& app = liveEngine(handle);
    app.scene().setAngle(handle.id, degrees);
    handle.angle = degrees;
}

// What the scene holds now, read through the handle; RuntimeError once it is removed.
template <typename Handle>
double angleOf(const Handle& handle) {
    return liveObject(handle).angle;
}

template <typename Handle>
double strokeOf(const Handle& handle) {
    return orv::outlineOf(liveObject(handle));
}

template <typename Handle>
void setColour(const Handle& handle, const py::object& color) {
    const uint32_t rgba = colourArgument(color);
    liveEngine(handle).scene().setColour(handle.id, rgba);
}

template <typename Handle>
void setLayer(const Handle& handle, int32_t layer) {
    liveEngine(handle).scene().setLayerOf(handle.id, layer);
}

}  // namespace

std::vector<Point2D> pointsArgument(const py::handle& points) {
    const py::object items = itemsOf(points.ptr());
    if (!items) {
        throw py::type_error(std::string(kPointsForm) + ", not " + typeName(points.ptr()));
    }
    const size_t count = static_cast<size_t>(PyTuple_GET_SIZE(items.ptr()));
    if (count > orv::kMaxPolygonPoints) {
        throw py::value_error("a polygon takes 3 to " + std::to_string(orv::kMaxPolygonPoints) + " points, not " +
                              std::to_string(count));
    }
    std::vector<Point2D> out(count);
    for (size_t i = 0; i < count; ++i) {
        PyObject* item = PyTuple_GET_ITEM(items.ptr(), static_cast<Py_ssize_t>(i));
        const py::object pair = itemsOf(item);
        if (!pair) {
            throw py::type_error("point " + std::to_string(i) + " is " + typeName(item) + ", not a pair (x, y); " +
                                 kPointsForm);
        }
        if (PyTuple_GET_SIZE(pair.ptr()) != 2) {
            throw py::value_error("point " + std::to_string(i) + " has " + std::to_string(PyTuple_GET_SIZE(pair.ptr())) +
                                  " items, not 2; " + kPointsForm);
        }
        out[i].x = coordinate(PyTuple_GET_ITEM(pair.ptr(), 0), i, "x");
        out[i].y = coordinate(PyTuple_GET_ITEM(pair.ptr(), 1), i, "y");
    }
    return out;
}

void registerDrawnShapeClasses(py::module_& m) {
    py::class_<Line>(m, "Line", R"doc(A straight line, drawn until it is removed.

createLine returns one. It can be moved, turned, widened and recoloured; collides and
objectAt treat it by what it draws.

Example:
    >>> line = qel.createLine(20, 20, 120, 20, width=4, color="yellow")
    >>> line.setAngle(90)
    >>> line.points, line.angle
    (((20.0, 20.0), (120.0, 20.0)), 90.0)
    >>> line.remove()
    True
)doc")
        .def_readonly("id", &Line::id, "int: Read-only. The object's identifier, for the functions that take one.")
        .def_property_readonly(
            "points",
            [](const Line& l) {
                // A line runs from (x, y) by (sizeX, sizeY) in the scene.
                const orv::GameObject& o = liveObject(l);
                const auto run = orv::extentOf(o);
                return py::make_tuple(py::make_tuple(o.x, o.y), py::make_tuple(o.x + run[0], o.y + run[1]));
            },
            "tuple: Read-only. Its ends ((x1, y1), (x2, y2)) in pixels where it is now, before it is turned.")
        .def_property_readonly("width", &strokeOf<Line>, "float: Read-only. Its width in pixels (setWidth changes it).")
        .def_property_readonly("angle", &angleOf<Line>,
                               "float: Read-only. How far it is turned about its middle, in degrees clockwise.")
        .def(
            "moveTo", [](const Line& l, double x, double y) { liveEngine(l).scene().moveTo(l.id, x, y); },
            py::arg("x"), py::arg("y"),
            R"doc(Moves the line so that its first end is at (x, y), keeping its length and direction.

Args:
    x (float): the first end's new x, in pixels from the left.
    y (float): the first end's new y, in pixels from the top.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when x or y is not a number.

Example:
    >>> line = qel.createLine(0, 0, 30, 40)
    >>> line.moveTo(100, 100)
    >>> line.points
    ((100.0, 100.0), (130.0, 140.0))
    >>> line.remove()
    True
)doc")
        .def(
            "setPoints",
            [](Line& l, double x1, double y1, double x2, double y2) {
                orv::OrvApp& app = liveEngine(l);
                app.scene().setLineEnds(l.id, x1, y1, x2, y2);
                l.x1 = x1;
                l.y1 = y1;
                l.x2 = x2;
                l.y2 = y2;
            },
            py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"),
            R"doc(Draws the line between new ends, keeping its width, colour, angle and layer.

Args:
    x1 (float): the first end's x, in pixels from the left.
    y1 (float): the first end's y, in pixels from the top.
    x2 (float): the second end's x, in pixels.
    y2 (float): the second end's y, in pixels.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when a coordinate is not a number.
    ValueError: when a coordinate is not finite.

Example:
    >>> line = qel.createLine(0, 0, 10, 10)
    >>> line.setPoints(5, 5, 50, 5)
    >>> line.points
    ((5.0, 5.0), (50.0, 5.0))
    >>> line.remove()
    True
)doc")
        .def(
            "setWidth",
            [](Line& l, double width) {
                orv::OrvApp& app = liveEngine(l);
                app.scene().setOutline(l.id, width);
                l.width = width;
            },
            py::arg("width"),
            R"doc(Makes the line wider or thinner.

Args:
    width (float): the new width in pixels, 0 or more (0 draws nothing).

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when width is not a number.
    ValueError: when width is negative or not finite.

Example:
    >>> line = qel.createLine(0, 0, 10, 10)
    >>> line.setWidth(5)
    >>> line.width
    5.0
    >>> line.remove()
    True
)doc")
        .def("setAngle", &setAngle<Line>, py::arg("degrees"),
             R"doc(Turns the line about its middle; points still reads the unturned ends.

Args:
    degrees (float): the angle from its ends as given, in degrees clockwise (not added to the
        angle it had).

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when degrees is not a number.
    ValueError: when degrees is not finite.

Example:
    >>> line = qel.createLine(100, 50, 200, 50)
    >>> line.setAngle(45)
    >>> line.angle
    45.0
    >>> line.remove()
    True
)doc")
        .def("setColor", &setColour<Line>, py::arg("color"), colourDoc(kLineDoc, "\"#00ff0080\""))
        .def("setLayer", &setLayer<Line>, py::arg("layer"), layerDoc(kLineDoc))
        .def("remove", [](const Line& l) { return requireEngine().pictures().remove(l.id); },
             removeDoc(kLineDoc))
        .def("__repr__", [](const Line& l) { return "Line<" + std::to_string(l.id) + ">"; }, R"doc(Shows the handle as Line<id>.

Example:
    >>> line = qel.createLine(0, 0, 50, 50)
    >>> repr(line) == f"Line<{line.id}>"
    True
    >>> line.remove()
    True
)doc");

    py::class_<Polygon>(m, "Polygon", R"doc(A filled or outlined polygon, drawn until it is removed.

createPolygon and createTriangle return one. It can be moved, turned, reshaped, outlined
and recoloured; collides and objectAt treat it by what it draws.

Example:
    >>> hill = qel.createPolygon([(0, 200), (80, 120), (160, 200)], "darkgreen")
    >>> hill.moveTo(40, 0)
    >>> hill.points
    [(40.0, 200.0), (120.0, 120.0), (200.0, 200.0)]
    >>> hill.remove()
    True
)doc")
        .def_readonly("id", &Polygon::id, "int: Read-only. The object's identifier, for the functions that take one.")
        .def_property_readonly(
            "points", &pointList,
            "list: Read-only. Its points [(x, y), ...] in pixels where they are drawn, before it is turned.")
        .def_property_readonly("angle", &angleOf<Polygon>,
                               "float: Read-only. How far it is turned about its centroid, in degrees clockwise.")
        .def_property_readonly("outline", &strokeOf<Polygon>,
                               "float: Read-only. Its outline's width in pixels (0: filled).")
        .def(
            "moveTo", [](const Polygon& p, double x, double y) { liveEngine(p).scene().moveTo(p.id, x, y); },
            py::arg("x"), py::arg("y"),
            R"doc(Shifts the polygon by (x, y) from the points it was given.

The shift is not added up: moveTo(0, 0) puts it back where its points say. qel.moveTo and
moveMany set the same shift.

Args:
    x (float): the shift to the right, in pixels.
    y (float): the shift down, in pixels.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when x or y is not a number.

Example:
    >>> tri = qel.createTriangle(0, 0, 40, 0, 0, 30, "orange")
    >>> tri.moveTo(5, 5)
    >>> tri.points
    [(5.0, 5.0), (45.0, 5.0), (5.0, 35.0)]
    >>> tri.moveTo(0, 0)
    >>> tri.points[0]
    (0.0, 0.0)
    >>> tri.remove()
    True
)doc")
        .def(
            "setPoints",
            [](Polygon& p, const py::object& points) {
                std::vector<Point2D> given = pointsArgument(points);
                orv::OrvApp& app = liveEngine(p);
                app.scene().setPolygonPoints(p.id, given);
                p.points = std::move(given);
                p.offset = Point2D{};
            },
            py::arg("points"),
            R"doc(Reshapes the polygon to new points, its shift back to (0, 0) and its angle kept.

Args:
    points (Sequence[tuple[float, float]]): 3 to 10000 (x, y) points, in pixels, whose sides
        must not cross or touch, as createPolygon takes them.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when points is not a sequence of (x, y) pairs of numbers.
    ValueError: when there are fewer than 3 or more than 10000 points, a point is not finite,
        the sides cross or touch, or the points enclose no area.

Example:
    >>> shape = qel.createTriangle(0, 0, 40, 0, 0, 30, "orange")
    >>> shape.setPoints([(0, 0), (40, 0), (40, 40), (0, 40)])
    >>> len(shape.points)
    4
    >>> shape.remove()
    True
)doc")
        .def("setAngle", &setAngle<Polygon>, py::arg("degrees"),
             R"doc(Turns the polygon about its centroid; points still reads the unturned points.

Args:
    degrees (float): the angle from its points as given, in degrees clockwise (not added to
        the angle it had).

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when degrees is not a number.
    ValueError: when degrees is not finite.

Example:
    >>> tri = qel.createTriangle(10, 10, 60, 10, 10, 60, "orange")
    >>> tri.setAngle(180)
    >>> tri.angle
    180.0
    >>> tri.remove()
    True
)doc")
        .def("setOutline", &setOutline<Polygon>, py::arg("width"),
             R"doc(Draws only a strip this many pixels wide inside its edge, or fills it again.

Args:
    width (float): the outline's width in pixels, 0 or more; 0 fills the polygon.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when width is not a number.
    ValueError: when width is negative or not finite.

Example:
    >>> tri = qel.createTriangle(10, 10, 60, 10, 10, 60, "orange")
    >>> tri.setOutline(3)
    >>> tri.outline
    3.0
    >>> tri.remove()
    True
)doc")
        .def("setColor", &setColour<Polygon>, py::arg("color"), colourDoc(kPolygonDoc, "\"#00ff0080\""))
        .def("setLayer", &setLayer<Polygon>, py::arg("layer"), layerDoc(kPolygonDoc))
        .def("remove", [](const Polygon& p) { return requireEngine().pictures().remove(p.id); },
             removeDoc(kPolygonDoc))
        .def("__repr__", [](const Polygon& p) { return "Polygon<" + std::to_string(p.id) + ">"; }, R"doc(Shows the handle as Polygon<id>.

Example:
    >>> tri = qel.createTriangle(10, 10, 60, 10, 10, 60, "orange")
    >>> repr(tri) == f"Polygon<{tri.id}>"
    True
    >>> tri.remove()
    True
)doc");

    // Rectangle and Circle were registered with the twenty functions; these come after them.
    auto rectangle = py::reinterpret_borrow<py::class_<Rectangle>>(py::object(m.attr("Rectangle")));
    rectangle
        .def_property_readonly("angle", &angleOf<Rectangle>,
                               "float: Read-only. How far it is turned about its centre, in degrees clockwise.")
        .def_property_readonly("outline", &strokeOf<Rectangle>,
                               "float: Read-only. Its outline's width in pixels (0: filled).")
        .def("setAngle", &setAngle<Rectangle>, py::arg("degrees"),
             R"doc(Turns the rectangle about its centre; top_left stays the unturned corner.

Args:
    degrees (float): the angle from upright, in degrees clockwise (not added to the angle it
        had).

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when degrees is not a number.
    ValueError: when degrees is not finite.

Example:
    >>> r = qel.createRect(10, 10, 40, 20, "red")
    >>> r.setAngle(45)
    >>> r.angle, r.top_left.x
    (45.0, 10.0)
    >>> r.remove()
    True
)doc")
        .def("setOutline", &setOutline<Rectangle>, py::arg("width"),
             R"doc(Draws only a frame this many pixels wide inside its edge, or fills it again.

Args:
    width (float): the outline's width in pixels, 0 or more; 0 fills the rectangle.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when width is not a number.
    ValueError: when width is negative or not finite.

Example:
    >>> rect = qel.createRect(10, 10, 40, 20, "red")
    >>> rect.setOutline(3)
    >>> rect.outline
    3.0
    >>> rect.remove()
    True
)doc");
    auto circle = py::reinterpret_borrow<py::class_<Circle>>(py::object(m.attr("Circle")));
    circle.def_property_readonly("outline", &strokeOf<Circle>,
                                 "float: Read-only. Its outline's width in pixels (0: filled).")
        .def("setOutline", &setOutline<Circle>, py::arg("width"),
             R"doc(Draws only a ring this many pixels wide inside its edge, or fills it again.

Args:
    width (float): the outline's width in pixels, 0 or more; 0 fills the circle.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when width is not a number.
    ValueError: when width is negative or not finite.

Example:
    >>> disc = qel.createDisc(50, 50, 10, "red")
    >>> disc.setOutline(3)
    >>> disc.outline
    3.0
    >>> disc.remove()
    True
)doc");

    py::class_<Disc, Circle>(m, "Disc",
                             R"doc(The handle createDisc returns: a Circle whose setColor takes any colour.

Everything else is a Circle's; isinstance(disc, qel.Circle) holds.

Example:
    >>> disc = qel.createDisc(50, 50, 10, "gold")
    >>> disc.setColor("red")
    >>> disc.color, isinstance(disc, qel.Circle)
    ((255, 0, 0, 255), True)
    >>> disc.remove()
    True
)doc")
        .def("setColor", &setColour<Disc>, py::arg("color"), colourDoc(kDiscDoc, "\"red\""));
    py::class_<Rect, Rectangle>(m, "Rect",
                                R"doc(The handle createRect returns: a Rectangle whose setColor takes any colour.

Everything else is a Rectangle's; isinstance(box, qel.Rectangle) holds.

Example:
    >>> box = qel.createRect(0, 0, 9, 9, "red")
    >>> box.setColor("blue")
    >>> box.color, isinstance(box, qel.Rectangle)
    ((0, 0, 255, 255), True)
    >>> box.remove()
    True
)doc")
        .def("setColor", &setColour<Rect>, py::arg("color"), colourDoc(kRectDoc, "\"blue\""));
    py::class_<Ellipse>(m, "Ellipse", R"doc(An ellipse, filled or outlined, drawn until it is removed.

createEllipse returns one. It can be moved (its centre), turned about its centre, resized,
outlined and recoloured; collides and objectAt treat it by the whole ellipse it covers.

Example:
    >>> oval = qel.createEllipse(60, 40, 30, 15, "orange", angle=30)
    >>> oval.radii, oval.angle
    ((30.0, 15.0), 30.0)
    >>> oval.remove()
    True
)doc")
        .def_readonly("id", &Ellipse::id, "int: Read-only. The object's identifier, for the functions that take one.")
        .def_property_readonly(
            "radii",
            [](const Ellipse& e) {
                const auto box = orv::extentOf(liveObject(e));
                return py::make_tuple(box[0] / 2.0, box[1] / 2.0);
            },
            "tuple[float, float]: Read-only. Its radii (rx, ry) in pixels, along x and y before it is turned.")
        .def_property_readonly("angle", &angleOf<Ellipse>,
                               "float: Read-only. How far it is turned about its centre, in degrees clockwise.")
        .def_property_readonly("outline", &strokeOf<Ellipse>,
                               "float: Read-only. Its outline's width in pixels (0: filled).")
        .def(
            "setRadii",
            [](const Ellipse& e, double rx, double ry) {
                if (!(rx >= 0.0) || !(ry >= 0.0) || !std::isfinite(rx) || !std::isfinite(ry)) {
                    throw py::value_error("an ellipse's radii must be finite numbers of pixels, 0 or more");
                }
                liveEngine(e).scene().resize(e.id, rx, ry);
            },
            py::arg("rx"), py::arg("ry"), R"doc(Gives the ellipse new radii, its centre staying put.

Args:
    rx (float): the radius along x before the turn, in pixels, 0 or more.
    ry (float): the radius along y before the turn, in pixels, 0 or more.

Returns:
    None

Raises:
    RuntimeError: once the ellipse is removed ("Ellipse N was removed").
    ValueError: when a radius is negative or not finite.

Example:
    >>> oval = qel.createEllipse(60, 40, 30, 15, "orange")
    >>> oval.setRadii(10, 20)
    >>> oval.radii
    (10.0, 20.0)
    >>> oval.remove()
    True
)doc")
        .def(
            "setAngle", [](const Ellipse& e, double degrees) { liveEngine(e).scene().setAngle(e.id, degrees); },
            py::arg("degrees"), R"doc(Turns the ellipse about its centre.

Args:
    degrees (float): the angle from its radii as given, in degrees clockwise (not added to
        the angle it had).

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when degrees is not a number.
    ValueError: when degrees is not finite.

Example:
    >>> oval = qel.createEllipse(60, 40, 30, 15, "orange")
    >>> oval.setAngle(90)
    >>> oval.angle
    90.0
    >>> oval.remove()
    True
)doc")
        .def(
            "setOutline", [](const Ellipse& e, double width) { liveEngine(e).scene().setOutline(e.id, width); },
            py::arg("width"), R"doc(Draws only a band this many pixels wide inside its edge, or fills it again.

Args:
    width (float): the outline's width in pixels, 0 or more; 0 fills the ellipse.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when width is not a number.
    ValueError: when width is negative or not finite.

Example:
    >>> oval = qel.createEllipse(60, 40, 30, 15, "orange")
    >>> oval.setOutline(3)
    >>> oval.outline
    3.0
    >>> oval.remove()
    True
)doc")
        .def("setColor", &setColour<Ellipse>, py::arg("color"), colourDoc(kEllipseDoc, "\"#00ff0080\""))
        .def("setLayer", &setLayer<Ellipse>, py::arg("layer"), layerDoc(kEllipseDoc))
        .def("remove", [](const Ellipse& e) { return requireEngine().pictures().remove(e.id); },
             removeDoc(kEllipseDoc))
        .def("__repr__", [](const Ellipse& e) { return "Ellipse<" + std::to_string(e.id) + ">"; },
             R"doc(Shows the handle as Ellipse<id>.

Example:
    >>> oval = qel.createEllipse(60, 40, 30, 15, "orange")
    >>> repr(oval) == f"Ellipse<{oval.id}>"
    True
    >>> oval.remove()
    True
)doc");
    m.def(
        "createEllipse",
        [](double x, double y, double rx, double ry, const py::object& color, double angle, const py::object& outline) {
            const uint32_t rgba = colourArgument(color);
            const double width = outline.is_none() ? 0.0 : outline.cast<double>();
            return Ellipse{requireEngine().scene().add(orv::makeEllipse(x, y, rx, ry, rgba, angle, width))};
        },
        py::arg("x"), py::arg("y"), py::arg("rx"), py::arg("ry"), py::arg("color") = "white", py::kw_only(),
        py::arg("angle") = 0.0, py::arg("outline") = py::none(),
        R"doc(Draws an ellipse centred on (x, y), exactly (not as a polygon).

Args:
    x (float): the centre's x, in pixels from the left.
    y (float): the centre's y, in pixels from the top.
    rx (float): the radius along x before the turn, in pixels, 0 or more.
    ry (float): the radius along y before the turn, in pixels, 0 or more.
    color (str | tuple | int): any colour, as updateColor takes it. Default "white".
    angle (float): the turn about its centre, in degrees clockwise. Default 0.
    outline (float | None): the width of an outline drawn inside its edge (the band
        between it and the ellipse of radii less the width); None or 0 fills it.

Returns:
    Ellipse: its handle.

Raises:
    RuntimeError: before ``init``.
    ValueError: when a number is not finite, a radius or the outline is negative, or the
        colour is not a colour.

Example:
    >>> oval = qel.createEllipse(160, 120, 60, 30, "orange", angle=20, outline=4)
    >>> oval.radii, oval.outline
    ((60.0, 30.0), 4.0)
    >>> oval.remove()
    True
)doc");
}

}  // namespace qel
