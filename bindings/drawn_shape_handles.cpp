#include "bindings/drawn_shape_handles.hpp"

#include <pybind11/stl.h>

#include <string>
#include <utility>

#include "bindings/colour_argument.hpp"
#include "bindings/module_state.hpp"
#include "bindings/shape_handles.hpp"
#include "engine/orv_app.hpp"
#include "engine/polygon_shape.hpp"

namespace py = pybind11;

namespace qel {

namespace {

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

py::list pointList(const std::vector<Point2D>& points, const Point2D& offset) {
    py::list out;
    for (const Point2D& p : points) {
        out.append(py::make_tuple(p.x + offset.x, p.y + offset.y));
    }
    return out;
}

template <typename Handle>
void setOutline(Handle& handle, double width) {
    orv::OrvApp& app = requireEngine();
    app.setOutline(handle.id, width);
    handle.outline = width;
}

template <typename Handle>
void setAngle(Handle& handle, double degrees) {
    orv::OrvApp& app = requireEngine();
    app.setAngle(handle.id, degrees);
    handle.angle = degrees;
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
    py::class_<Line>(m, "Line", "A straight line, made by createLine.")
        .def_readonly("id", &Line::id, "The object's identifier.")
        .def_property_readonly(
            "points", [](const Line& l) { return py::make_tuple(py::make_tuple(l.x1, l.y1), py::make_tuple(l.x2, l.y2)); },
            "Its ends ((x1, y1), (x2, y2)), before it is turned.")
        .def_readonly("width", &Line::width, "Its width in pixels.")
        .def_readonly("angle", &Line::angle, "How far it is turned about its middle, in degrees clockwise.")
        .def(
            "moveTo",
            [](Line& l, double x, double y) {
                orv::OrvApp& app = requireEngine();
                app.moveTo(l.id, x, y);
                l.x2 += x - l.x1;
                l.y2 += y - l.y1;
                l.x1 = x;
                l.y1 = y;
            },
            py::arg("x"), py::arg("y"), "Puts its first end at (x, y); the line keeps its length and direction.")
        .def(
            "setPoints",
            [](Line& l, double x1, double y1, double x2, double y2) {
                orv::OrvApp& app = requireEngine();
                app.setLineEnds(l.id, x1, y1, x2, y2);
                l.x1 = x1;
                l.y1 = y1;
                l.x2 = x2;
                l.y2 = y2;
            },
            py::arg("x1"), py::arg("y1"), py::arg("x2"), py::arg("y2"), "Draws the line between new ends.")
        .def(
            "setWidth",
            [](Line& l, double width) {
                orv::OrvApp& app = requireEngine();
                app.setOutline(l.id, width);
                l.width = width;
            },
            py::arg("width"), "Sets its width in pixels (0 draws nothing).")
        .def("setAngle", &setAngle<Line>, py::arg("degrees"), "Turns it about its middle, clockwise.")
        .def(
            "setColor",
            [](const Line& l, const py::object& color) {
                const uint32_t rgba = colourArgument(color);
                requireEngine().setColour(l.id, rgba);
            },
            py::arg("color"), "Recolours it: a colour such as '#rrggbbaa', 'red', (r, g, b, a) or 0xRRGGBB.")
        .def(
            "setLayer", [](const Line& l, int32_t layer) { requireEngine().setLayer(l.id, layer); }, py::arg("layer"),
            "Puts it on a layer: higher layers are drawn above lower ones.")
        .def("remove", [](const Line& l) { return requireEngine().removeObject(l.id); },
             "Removes it; True when it was there.")
        .def("__repr__", [](const Line& l) { return "Line<" + std::to_string(l.id) + ">"; }, "Line<id>.");

    py::class_<Polygon>(m, "Polygon", "A filled or outlined polygon, made by createPolygon or createTriangle.")
        .def_readonly("id", &Polygon::id, "The object's identifier.")
        .def_property_readonly(
            "points", [](const Polygon& p) { return pointList(p.points, p.offset); },
            "Its points [(x, y), ...] where they are drawn, before it is turned.")
        .def_readonly("angle", &Polygon::angle, "How far it is turned about its centroid, in degrees clockwise.")
        .def_readonly("outline", &Polygon::outline, "Its outline's width in pixels (0: filled).")
        .def(
            "moveTo",
            [](Polygon& p, double x, double y) {
                orv::OrvApp& app = requireEngine();
                app.moveTo(p.id, x, y);
                p.offset = Point2D{x, y};
            },
            py::arg("x"), py::arg("y"),
            "Shifts it by (x, y) from the points it was given: moveTo(0, 0) puts it back (moveTo and moveMany set "
            "this offset).")
        .def(
            "setPoints",
            [](Polygon& p, const py::object& points) {
                std::vector<Point2D> given = pointsArgument(points);
                orv::OrvApp& app = requireEngine();
                app.setPolygonPoints(p.id, given);
                p.points = std::move(given);
                p.offset = Point2D{};
            },
            py::arg("points"), "Draws it at new points (its offset back to (0, 0), its angle kept).")
        .def("setAngle", &setAngle<Polygon>, py::arg("degrees"), "Turns it about its centroid, clockwise.")
        .def("setOutline", &setOutline<Polygon>, py::arg("width"),
             "Draws only a strip this many pixels wide inside its sides (0: filled).")
        .def(
            "setColor",
            [](const Polygon& p, const py::object& color) {
                const uint32_t rgba = colourArgument(color);
                requireEngine().setColour(p.id, rgba);
            },
            py::arg("color"), "Recolours it: a colour such as '#rrggbbaa', 'red', (r, g, b, a) or 0xRRGGBB.")
        .def(
            "setLayer", [](const Polygon& p, int32_t layer) { requireEngine().setLayer(p.id, layer); },
            py::arg("layer"), "Puts it on a layer: higher layers are drawn above lower ones.")
        .def("remove", [](const Polygon& p) { return requireEngine().removeObject(p.id); },
             "Removes it; True when it was there.")
        .def("__repr__", [](const Polygon& p) { return "Polygon<" + std::to_string(p.id) + ">"; }, "Polygon<id>.");

    // Rectangle and Circle were registered with the twenty functions; these come after them.
    auto rectangle = py::reinterpret_borrow<py::class_<Rectangle>>(py::object(m.attr("Rectangle")));
    rectangle.def_readonly("angle", &Rectangle::angle, "How far it is turned about its centre, in degrees clockwise.")
        .def_readonly("outline", &Rectangle::outline, "Its outline's width in pixels (0: filled).")
        .def("setAngle", &setAngle<Rectangle>, py::arg("degrees"),
             "Turns it about its centre, clockwise; top_left stays the unturned corner.")
        .def("setOutline", &setOutline<Rectangle>, py::arg("width"),
             "Draws only a frame this many pixels wide inside its edge (0: filled).");
    auto circle = py::reinterpret_borrow<py::class_<Circle>>(py::object(m.attr("Circle")));
    circle.def_readonly("outline", &Circle::outline, "Its outline's width in pixels (0: filled).")
        .def("setOutline", &setOutline<Circle>, py::arg("width"),
             "Draws only a ring this many pixels wide inside its edge (0: filled).");
}

}  // namespace qel
