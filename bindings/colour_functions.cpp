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
            requireEngine().setColour(id, rgba);
        },
        py::arg("id"), py::arg("colour"), py::pos_only(),
        "Recolours the object: an int 0xRRGGBB (opaque; bits 24 to 31 ignored), or a colour such as '#rrggbbaa', "
        "'red' or (r, g, b, a); translucent shapes blend over what is below, alpha 0 draws nothing.");
    m.def(
        "setBackground",
        [](const py::object& colour) {
            const std::uint32_t rgba = colourArgument(colour);
            requireEngine().setBackground(rgba);
        },
        py::arg("colour"), "The colour frames show where nothing is drawn, from the next frame on; always opaque.");
}

}  // namespace qel
