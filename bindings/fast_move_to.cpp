#include "bindings/fast_move_to.hpp"

#include <cstdint>
#include <string>

#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// Both live as long as the module: the bound function for the uncommon calls, and the
// docstring the method definition points at.
PyObject* boundMoveTo = nullptr;
std::string moveToDoc;

bool plainNumber(PyObject* value, double& out) {
    if (PyFloat_CheckExact(value)) {
        out = PyFloat_AS_DOUBLE(value);
        return true;
    }
    if (PyLong_CheckExact(value)) {
        out = PyLong_AsDouble(value);
        if (out == -1.0 && PyErr_Occurred() != nullptr) {
            PyErr_Clear();
            return false;
        }
        return true;
    }
    return false;
}

bool plainId(PyObject* value, uint32_t& out) {
    if (!PyLong_CheckExact(value)) {
        return false;
    }
    int overflow = 0;
    const long long id = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (overflow != 0 || id < 0 || id > static_cast<long long>(UINT32_MAX)) {
        return false;
    }
    out = static_cast<uint32_t>(id);
    return true;
}

PyObject* moveToEntry(PyObject*, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
    uint32_t id = 0;
    double x = 0.0;
    double y = 0.0;
    if (kwnames == nullptr && nargs == 3 && engine && !engineBelongsToParent() && plainId(args[0], id) && plainNumber(args[1], x) &&
        plainNumber(args[2], y)) {
        try {
            engine->scene().moveTo(id, x, y);
            Py_RETURN_NONE;
        } catch (...) {
            // The bound function repeats the call and reports the failure its own way.
        }
    }
    return PyObject_Vectorcall(boundMoveTo, args, static_cast<size_t>(nargs), kwnames);
}

PyMethodDef moveToDefinition{"moveTo", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(moveToEntry)),
                             METH_FASTCALL | METH_KEYWORDS, nullptr};

}  // namespace

void installFastMoveTo(py::module_& module) {
    py::object bound = module.attr("moveTo");
    moveToDoc = py::str(bound.attr("__doc__"));
    moveToDefinition.ml_doc = moveToDoc.c_str();
    py::object entry = py::reinterpret_steal<py::object>(
        PyCFunction_NewEx(&moveToDefinition, nullptr, module.attr("__name__").ptr()));
    if (!entry) {
        throw py::error_already_set();
    }
    boundMoveTo = bound.release().ptr();
    module.attr("moveTo") = entry;
}

}  // namespace qel
