#include "bindings/colour_functions.hpp"

#include <pybind11/stl.h>

#include <cstdint>
#include <variant>

#include "bindings/colour_argument.hpp"
#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// Only these reach the second overload: ints (and whatever converts to one) keep the first,
// with its rules and its TypeError for anything else.
using ColourSyntax = std::variant<py::str, py::tuple, py::list>;

std::uint32_t colourOf(const ColourSyntax& colour) {
    return std::visit([](const auto& given) { return colourArgument(given); }, colour);
}

}  // namespace

void registerColourFunctions(py::module_& m) {
    m.def(
        "updateColor",
        [](std::uint32_t id, const ColourSyntax& colour) {
            const std::uint32_t rgba = colourOf(colour);
            requireEngine().scene().setColour(id, rgba);
        },
        py::arg("id"), py::arg("colour"), py::pos_only(),
        R"doc(The same, with a colour given as text, a tuple or a list, such as ``"#rrggbbaa"``, ``"red"`` or
``(r, g, b, a)``.
)doc");
    m.def(
        "setBackground",
        [](const py::object& colour) {
            const std::uint32_t rgba = colourArgument(colour);
            requireEngine().scene().setBackground(rgba);
        },
        py::arg("colour"), R"doc(Sets the colour frames show where nothing is drawn.

Takes effect from the next frame; the background is always opaque (a colour's alpha is
ignored). ``init``'s ``background`` option sets it at the start (default ``"#030303"``).

Args:
    colour (str or int or tuple or list): ``"#rgb"``, ``"#rrggbb"``, ``"#rrggbbaa"``, a CSS
        name such as ``"navy"``, ``(r, g, b)`` or ``(r, g, b, a)`` of 0 to 255, or
        ``0xRRGGBB``.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when ``colour`` is not a colour ("not a colour: ...").

Example:
    >>> qel.setBackground("navy")
    >>> _ = qel.nextFrame()
    >>> tuple(qel.readPixels()[:4])
    (0, 0, 128, 255)
    >>> qel.setBackground("#030303")
)doc");
}

}  // namespace qel
