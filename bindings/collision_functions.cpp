#include "bindings/collision_functions.hpp"

#include <pybind11/stl.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// An identifier, given as an int or as a handle carrying it in `.id`.
uint32_t identifierArgument(const py::handle& given, const char* name) {
    py::object value = py::reinterpret_borrow<py::object>(given);
    if (!PyLong_Check(value.ptr())) {
        // Only a missing .id means "not a handle": whatever else reading it raises goes on.
        if (PyObject* id = PyObject_GetAttrString(value.ptr(), "id")) {
            value = py::reinterpret_steal<py::object>(id);
        } else if (PyErr_ExceptionMatches(PyExc_AttributeError)) {
            PyErr_Clear();
        } else {
            throw py::error_already_set();
        }
    }
    if (!PyLong_Check(value.ptr())) {
        throw py::type_error(std::string(name) + " must be an identifier (int) or an object with .id, not " +
                             std::string(py::str(py::type::handle_of(value).attr("__name__"))));
    }
    int overflow = 0;
    const long long id = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
    if (overflow != 0 || id < 0 || id > static_cast<long long>(UINT32_MAX)) {
        throw py::value_error(std::string(name) + " must be an identifier from 0 to 4294967295");
    }
    return static_cast<uint32_t>(id);
}

}  // namespace

void registerCollisionFunctions(py::module_& m) {
    m.def(
        "collides",
        [](const py::object& a, const py::object& b, bool mask) {
            const uint32_t first = identifierArgument(a, "a");
            const uint32_t second = identifierArgument(b, "b");
            return requireEngine().picking().collides(first, second, mask);
        },
        py::arg("a"), py::arg("b"), py::kw_only(), py::arg("mask") = false,
        R"doc(Tells whether two objects share some area, as they are drawn.

Rectangles, circles, sprites and text count by their boxes and discs; turned objects,
lines and polygons by what they draw, scaled and flipped sprites where they are drawn.
Shapes that only touch do not collide. Prints nothing.

Args:
    a (int | object): the first object: its identifier, or a handle with .id (a Circle,
        Rectangle, Sprite, Text, Line or Polygon).
    b (int | object): the second object, given the same way.
    mask (bool): keyword only: True makes sprites and text collide by their texels of alpha
        128 or more instead of their boxes. Default False.

Returns:
    bool: True when they collide; False when they do not, or either identifier names nothing.

Raises:
    RuntimeError: before qel.init().
    TypeError: when a or b is neither an int nor has an int .id.
    ValueError: when an identifier is outside 0 to 4294967295.

Example:
    >>> box = qel.createRect(0, 0, 20, 20, "red")
    >>> ball = qel.createDisc(25, 10, 10, "blue")
    >>> qel.collides(box, ball)
    True
    >>> qel.moveTo(ball.id, 40, 10)
    >>> qel.collides(box, ball.id)
    False
    >>> box.remove(), ball.remove()
    (True, True)
)doc");
    m.def(
        "overlapping",
        [](const py::object& id, bool mask) {
            const uint32_t object = identifierArgument(id, "id");
            return requireEngine().picking().overlapping(object, mask);
        },
        py::arg("id"), py::kw_only(), py::arg("mask") = false,
        R"doc(Lists every object that collides with the given one, by collides' rules.

Args:
    id (int | object): the object: its identifier, or a handle with .id.
    mask (bool): keyword only: True makes sprites and text count by their texels of alpha 128
        or more. Default False.

Returns:
    list[int]: the identifiers, topmost first (by layer, then creation), without the object
    itself; [] when id names nothing.

Raises:
    RuntimeError: before qel.init().
    TypeError: when id is neither an int nor has an int .id.
    ValueError: when the identifier is outside 0 to 4294967295.

Example:
    >>> player = qel.createRect(1000, 1000, 30, 30, "white")
    >>> coin = qel.createDisc(1010, 1010, 5, "gold")
    >>> wall = qel.createRect(1100, 1000, 10, 10, "grey")
    >>> qel.overlapping(player) == [coin.id]
    True
    >>> player.remove(), coin.remove(), wall.remove()
    (True, True, True)
)doc");
    m.def(
        "objectsIn",
        [](double x, double y, double w, double h) {
            if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) {
                throw py::value_error("objectsIn needs finite x, y, w and h");
            }
            if (w < 0.0 || h < 0.0) {
                throw py::value_error("objectsIn needs a width w and a height h of 0 or more");
            }
            return requireEngine().picking().objectsIn(x, y, w, h);
        },
        py::arg("x"), py::arg("y"), py::arg("w"), py::arg("h"),
        R"doc(Lists the objects whose shapes meet a rectangle of the window, edges included.

Objects on fixed layers are tested in window pixels, the rest through the camera, as
objectAt does: a drag-selection box picks what it covers on screen.

Args:
    x (float): the rectangle's left edge, in window pixels.
    y (float): its top edge, in window pixels.
    w (float): its width in pixels, 0 or more (0: a vertical line).
    h (float): its height in pixels, 0 or more.

Returns:
    list[int]: the identifiers, topmost first (by layer, then creation).

Raises:
    RuntimeError: before qel.init().
    TypeError: when an argument is not a number.
    ValueError: when an argument is not finite, or w or h is negative.

Example:
    >>> dot = qel.createDisc(-500, -500, 4, "white")
    >>> qel.objectsIn(-510, -510, 20, 20) == [dot.id]
    True
    >>> qel.objectsIn(-510, -510, 5, 5)
    []
    >>> dot.remove()
    True
)doc");
}

}  // namespace qel
