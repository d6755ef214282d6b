#include "bindings/path_argument.hpp"

namespace py = pybind11;

namespace qel {

std::string pathArgument(const py::object& path) {
    return py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
}

}  // namespace qel
