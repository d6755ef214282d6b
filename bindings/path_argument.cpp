#include "bindings/path_argument.hpp"

namespace py = pybind11;

namespace qel {

std::string pathArgument(const py::object& path) {
    std::string file = py::str(py::module_::import("os").attr("fspath")(path)).cast<std::string>();
    if (file.find('\0') != std::string::npos) {
        throw py::value_error("embedded null byte");
    }
    return file;
}

}  // namespace qel
