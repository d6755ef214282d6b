#include "bindings/bare_instances.hpp"

namespace qel {

namespace {

PyObject* refuseNew(PyTypeObject* type, PyObject*, PyObject*) {
    PyErr_Format(PyExc_TypeError, "%s cannot be made directly: qel's functions return one (see help(%s))",
                 type->tp_name, type->tp_name);
    return nullptr;
}

// The class's own __new__, so a lookup stops at it rather than at pybind11's base.
PyObject* newMethod(PyObject*, PyObject* args, PyObject*) {
    PyObject* cls = PyTuple_Size(args) > 0 ? PyTuple_GetItem(args, 0) : nullptr;
    if (cls == nullptr || !PyType_Check(cls)) {
        PyErr_SetString(PyExc_TypeError, "__new__ needs a class");
        return nullptr;
    }
    return refuseNew(reinterpret_cast<PyTypeObject*>(cls), nullptr, nullptr);
}

PyMethodDef newDef{"__new__", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&newMethod)),
                   METH_VARARGS | METH_KEYWORDS, "Refused: qel's functions make these."};

}  // namespace

void refuseBareInstances(pybind11::handle cls) {
    auto* type = reinterpret_cast<PyTypeObject*>(cls.ptr());
    // A tp_new other than the base's also makes object.__new__(cls) and pybind11's
    // base.__new__(cls) refuse ("not safe"), and subclasses inherit it.
    type->tp_new = &refuseNew;
    // A builtin function is no descriptor: Class.__new__ gives it as it is, as a staticmethod
    // would, and it keeps its own docstring.
    pybind11::object function = pybind11::reinterpret_steal<pybind11::object>(PyCFunction_New(&newDef, nullptr));
    if (!function || PyDict_SetItemString(type->tp_dict, "__new__", function.ptr()) != 0) {
        throw pybind11::error_already_set();
    }
    PyType_Modified(type);
}

}  // namespace qel
