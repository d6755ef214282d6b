#include "bindings/path_argument.hpp"

#include <cstring>

namespace py = pybind11;

namespace qel {

std::string pathArgument(const py::handle& path) {
    PyObject* encoded = nullptr;
    // Takes what open() takes, and refuses an embedded NUL with ValueError as it does.
    if (PyUnicode_FSConverter(path.ptr(), &encoded) == 0) {
        throw py::error_already_set();
    }
    const py::object bytes = py::reinterpret_steal<py::object>(encoded);
    return std::string(PyBytes_AS_STRING(encoded), static_cast<size_t>(PyBytes_GET_SIZE(encoded)));
}

void raiseNamingPath(const std::runtime_error& error) {
    const char* message = error.what();
    const auto size = static_cast<Py_ssize_t>(std::strlen(message));
    if (PyObject* text = PyUnicode_DecodeUTF8(message, size, nullptr)) {
        // UTF-8: the error goes on as it is, translated as any other.
        Py_DECREF(text);
        throw;
    }
    PyErr_Clear();
    PyObject* text = PyUnicode_DecodeUTF8(message, size, "backslashreplace");
    if (text == nullptr) {
        throw py::error_already_set();
    }
    PyErr_SetObject(PyExc_RuntimeError, text);
    Py_DECREF(text);
    throw py::error_already_set();
}

}  // namespace qel
