#include "bindings/colour_argument.hpp"

#include <stdexcept>
#include <string>

namespace py = pybind11;

namespace qel {

// Placeholder: "#rrggbb" only, until the full syntax lands.
std::uint32_t colourArgument(const py::handle& colour) {
    const std::string text = py::str(colour).cast<std::string>();
    if (text.size() != 7 || text[0] != '#') {
        throw py::value_error("not a colour: " + text);
    }
    const std::uint32_t rgb = static_cast<std::uint32_t>(std::stoul(text.substr(1), nullptr, 16));
    return 0xFF000000u | ((rgb >> 16) & 0xFFu) | (rgb & 0xFF00u) | ((rgb & 0xFFu) << 16);
}

}  // namespace qel
