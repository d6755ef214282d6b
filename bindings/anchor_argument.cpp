#include "bindings/anchor_argument.hpp"

#include <cmath>
#include <string>

namespace py = pybind11;

namespace qel {

namespace {

struct Named {
    const char* name;
    double x;
    double y;
};

constexpr Named kNamed[] = {
    {"topleft", 0.0, 0.0},    {"top", 0.5, 0.0},    {"topright", 1.0, 0.0},
    {"left", 0.0, 0.5},       {"center", 0.5, 0.5}, {"right", 1.0, 0.5},
    {"bottomleft", 0.0, 1.0}, {"bottom", 0.5, 1.0}, {"bottomright", 1.0, 1.0},
};

}  // namespace

Anchor anchorArgument(const py::handle& anchor) {
    if (py::isinstance<py::str>(anchor)) {
        const std::string name = anchor.cast<std::string>();
        for (const Named& named : kNamed) {
            if (name == named.name) {
                return Anchor{true, named.x, named.y};
            }
        }
        throw py::value_error("unknown anchor " + py::repr(anchor).cast<std::string>() +
                              ": use 'topleft', 'top', 'topright', 'left', 'center', 'right', 'bottomleft', "
                              "'bottom', 'bottomright' or a pixel offset (x, y)");
    }
    if (!py::isinstance<py::tuple>(anchor) && !py::isinstance<py::list>(anchor)) {
        throw py::type_error("an anchor is a name such as 'center' or a pixel offset (x, y), not " +
                             std::string(py::str(py::type::of(anchor).attr("__name__"))));
    }
    const py::sequence pair = py::reinterpret_borrow<py::sequence>(anchor);
    if (pair.size() != 2) {
        throw py::value_error("an anchor offset is a pair (x, y) of pixels");
    }
    // Converted before being checked: __float__ may be Python code.
    const double x = pair[0].cast<double>();
    const double y = pair[1].cast<double>();
    if (!std::isfinite(x) || !std::isfinite(y)) {
        throw py::value_error("an anchor offset must be finite");
    }
    return Anchor{false, x, y};
}

}  // namespace qel
