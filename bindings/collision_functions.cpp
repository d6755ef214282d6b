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
    if (!PyLong_Check(value.ptr()) && py::hasattr(value, "id")) {
        value = value.attr("id");
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
            return requireEngine().collides(first, second, mask);
        },
        py::arg("a"), py::arg("b"), py::kw_only(), py::arg("mask") = false,
        "Whether objects a and b (identifiers or handles) share area as drawn: rectangles, circles, sprites and text "
        "by their boxes and discs, turned objects, lines and polygons by what they draw. Shapes that only touch do "
        "not collide. mask=True: sprites and text collide by their texels of alpha 128 or more. False when either "
        "identifier names nothing.");
    m.def(
        "overlapping",
        [](const py::object& id, bool mask) {
            const uint32_t object = identifierArgument(id, "id");
            return requireEngine().overlapping(object, mask);
        },
        py::arg("id"), py::kw_only(), py::arg("mask") = false,
        "The identifiers of every object that collides with object id (collides' rules), topmost first, not itself; "
        "[] when id names nothing.");
    m.def(
        "objectsIn",
        [](double x, double y, double w, double h) {
            if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(w) || !std::isfinite(h)) {
                throw py::value_error("objectsIn needs finite x, y, w and h");
            }
            if (w < 0.0 || h < 0.0) {
                throw py::value_error("objectsIn needs a width w and a height h of 0 or more");
            }
            return requireEngine().objectsIn(x, y, w, h);
        },
        py::arg("x"), py::arg("y"), py::arg("w"), py::arg("h"),
        "The identifiers of the objects whose shapes meet the rectangle from (x, y), w by h window pixels, edges "
        "included (objectAt's rule: fixed layers as given, the rest through the camera), topmost first.");
}

}  // namespace qel
