#include "bindings/number_columns.hpp"

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

namespace py = pybind11;

namespace qel {

namespace {

enum class Want { Identifier, Coordinate, Colour };

// A buffer's element format: its type code and whether it holds integers.
struct Format {
    char code = 0;
    size_t size = 0;
    bool integer = false;
    bool isSigned = false;
    bool valid = false;
};

Format parseFormat(const char* format, Py_ssize_t itemsize) {
    Format f;
    if (format == nullptr) {
        format = "B";
    }
    // Native or little-endian standard sizes only: this machine is little-endian.
    if (*format == '@' || *format == '=' || *format == '<') {
        ++format;
    }
    if (format[0] == '\0' || format[1] != '\0') {
        return f;
    }
    f.code = format[0];
    f.size = static_cast<size_t>(itemsize);
    f.integer = std::strchr("bBhHiIlLqQnN", f.code) != nullptr;
    f.isSigned = std::strchr("bhilqn", f.code) != nullptr;
    f.valid = f.integer || ((f.code == 'f' && f.size == 4) || (f.code == 'd' && f.size == 8));
    return f;
}

// One element of a buffer as a double and, for integer formats, as exact integers.
struct Value {
    double real;
    int64_t whole;
    bool negative;
    uint64_t magnitude;
};

Value readElement(const char* at, const Format& f) {
    Value v{};
    if (!f.integer) {
        if (f.code == 'f') {
            float x;
            std::memcpy(&x, at, sizeof x);
            v.real = x;
        } else {
            std::memcpy(&v.real, at, sizeof v.real);
        }
        return v;
    }
    if (f.isSigned) {
        int64_t x = 0;
        switch (f.size) {
            case 1: { int8_t y; std::memcpy(&y, at, 1); x = y; break; }
            case 2: { int16_t y; std::memcpy(&y, at, 2); x = y; break; }
            case 4: { int32_t y; std::memcpy(&y, at, 4); x = y; break; }
            default: std::memcpy(&x, at, 8); break;
        }
        v.whole = x;
        v.negative = x < 0;
        v.magnitude = x < 0 ? 0 : static_cast<uint64_t>(x);
    } else {
        uint64_t x = 0;
        switch (f.size) {
            case 1: { uint8_t y; std::memcpy(&y, at, 1); x = y; break; }
            case 2: { uint16_t y; std::memcpy(&y, at, 2); x = y; break; }
            case 4: { uint32_t y; std::memcpy(&y, at, 4); x = y; break; }
            default: std::memcpy(&x, at, 8); break;
        }
        v.magnitude = x;
        v.whole = x > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(x);
    }
    v.real = v.negative ? static_cast<double>(v.whole) : static_cast<double>(v.magnitude);
    return v;
}

[[noreturn]] void refuse(PyObject* type, const char* name, const std::string& why) {
    PyErr_SetString(type, (std::string(name) + ": " + why).c_str());
    throw py::error_already_set();
}

// Checks an integer against what the column holds and stores it.
template <typename T>
void storeInteger(bool negative, uint64_t magnitude, Want want, const char* name, size_t index, T& out) {
    if (want == Want::Identifier) {
        if (negative || magnitude > UINT32_MAX) {
            refuse(PyExc_ValueError, name,
                   "item " + std::to_string(index) + " is not an identifier (0 to 4294967295)");
        }
        out = static_cast<T>(magnitude);
        return;
    }
    // Colours: anything that fits in 32 bits, signed or not, keeping its bit pattern.
    if (negative ? magnitude > (uint64_t{1} << 31) : magnitude > UINT32_MAX) {
        refuse(PyExc_ValueError, name, "item " + std::to_string(index) + " does not fit in 32 bits");
    }
    const uint32_t bits = negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude))
                                   : static_cast<uint32_t>(magnitude);
    out = static_cast<T>(static_cast<int32_t>(bits));
}

template <typename T>
void readBuffer(const Py_buffer& view, Want want, const char* name, std::vector<T>& out) {
    if (view.ndim != 1) {
        refuse(PyExc_TypeError, name, "expected a one-dimensional column of numbers, got " +
                                          std::to_string(view.ndim) + " dimensions");
    }
    const Format f = parseFormat(view.format, view.itemsize);
    if (!f.valid) {
        refuse(PyExc_TypeError, name, std::string("expected numbers in native byte order, got items of format '") +
                                          (view.format ? view.format : "B") + "'");
    }
    if (want != Want::Coordinate && !f.integer) {
        refuse(PyExc_TypeError, name, "expected integers, got floating-point numbers");
    }
    const size_t count = static_cast<size_t>(view.shape[0]);
    const Py_ssize_t stride = view.strides != nullptr ? view.strides[0] : view.itemsize;
    out.resize(count);
    const char* at = static_cast<const char*>(view.buf);
    if (want == Want::Coordinate && f.code == 'd' && stride == 8) {
        std::memcpy(out.data(), at, count * sizeof(double));
        return;
    }
    if constexpr (!std::is_same_v<T, double>) {
        if (want == Want::Identifier && f.isSigned && f.size == 8 && stride == 8) {
            // NumPy's default integers, checked and narrowed in one pass.
            for (size_t i = 0; i < count; ++i, at += 8) {
                int64_t x;
                std::memcpy(&x, at, 8);
                if (static_cast<uint64_t>(x) > UINT32_MAX) {
                    storeInteger(x < 0, static_cast<uint64_t>(x < 0 ? 0 : x), want, name, i, out[i]);  // refuses
                }
                out[i] = static_cast<T>(x);
            }
            return;
        }
    }
    for (size_t i = 0; i < count; ++i, at += stride) {
        const Value v = readElement(at, f);
        if constexpr (std::is_same_v<T, double>) {
            out[i] = v.real;
        } else {
            const bool negative = f.isSigned && v.whole < 0;
            const uint64_t magnitude = negative ? static_cast<uint64_t>(-(v.whole + 1)) + 1 : v.magnitude;
            storeInteger(negative, magnitude, want, name, i, out[i]);
        }
    }
}

template <typename T>
void readSequence(py::handle column, Want want, const char* name, std::vector<T>& out) {
    py::object items = py::reinterpret_steal<py::object>(
        PySequence_Fast(column.ptr(), "expected a sequence or a buffer of numbers"));
    if (!items) {
        PyErr_Clear();
        refuse(PyExc_TypeError, name,
               std::string("expected a sequence or a buffer of numbers, got ") + Py_TYPE(column.ptr())->tp_name);
    }
    const size_t count = static_cast<size_t>(PySequence_Fast_GET_SIZE(items.ptr()));
    PyObject** item = PySequence_Fast_ITEMS(items.ptr());
    // An item's __float__ or __index__ is Python code, which may change a list being read:
    // its items are looked up again after it, and a change of size is refused.
    const auto ranPython = [&] {
        if (static_cast<size_t>(PySequence_Fast_GET_SIZE(items.ptr())) != count) {
            refuse(PyExc_RuntimeError, name, "the sequence changed size while it was read");
        }
        item = PySequence_Fast_ITEMS(items.ptr());
    };
    out.resize(count);
    for (size_t i = 0; i < count; ++i) {
        PyObject* value = item[i];
        if constexpr (std::is_same_v<T, double>) {
            if (PyFloat_CheckExact(value)) {
                out[i] = PyFloat_AS_DOUBLE(value);
                continue;
            }
            if (PyUnicode_Check(value) || PyBytes_Check(value) || !PyNumber_Check(value)) {
                refuse(PyExc_TypeError, name, "item " + std::to_string(i) + " is not a number");
            }
            const py::object held = py::reinterpret_borrow<py::object>(value);
            const double x = PyFloat_AsDouble(value);
            if (x == -1.0 && PyErr_Occurred()) {
                throw py::error_already_set();
            }
            ranPython();
            out[i] = x;
        } else {
            if (PyFloat_Check(value) || !PyIndex_Check(value)) {
                refuse(PyExc_TypeError, name, "item " + std::to_string(i) + " is not an integer");
            }
            const py::object held = py::reinterpret_borrow<py::object>(value);
            py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value));
            if (!index) {
                throw py::error_already_set();
            }
            ranPython();
            int overflow = 0;
            const long long x = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
            if (x == -1 && PyErr_Occurred()) {
                throw py::error_already_set();
            }
            const bool negative = overflow < 0 || (overflow == 0 && x < 0);
            const uint64_t magnitude = overflow != 0 ? UINT64_MAX
                                       : x < 0       ? static_cast<uint64_t>(-(x + 1)) + 1
                                                     : static_cast<uint64_t>(x);
            storeInteger(negative, magnitude, want, name, i, out[i]);
        }
    }
}

template <typename T>
void readColumn(py::handle column, Want want, const char* name, std::vector<T>& out) {
    // Text is a sequence too, but never a column of numbers.
    if (PyUnicode_Check(column.ptr()) || PyBytes_Check(column.ptr()) || PyByteArray_Check(column.ptr())) {
        refuse(PyExc_TypeError, name, std::string("expected a sequence or a buffer of numbers, got ") +
                                          Py_TYPE(column.ptr())->tp_name);
    }
    if (PyObject_CheckBuffer(column.ptr())) {
        Py_buffer view;
        if (PyObject_GetBuffer(column.ptr(), &view, PyBUF_RECORDS_RO) == 0) {
            struct Release {
                Py_buffer* view;
                ~Release() { PyBuffer_Release(view); }
            } release{&view};
            readBuffer(view, want, name, out);
            return;
        }
        PyErr_Clear();
    }
    readSequence(column, want, name, out);
}

}  // namespace

void readIdentifiers(py::handle column, const char* name, std::vector<uint32_t>& out) {
    readColumn(column, Want::Identifier, name, out);
}

void readCoordinates(py::handle column, const char* name, std::vector<double>& out) {
    readColumn(column, Want::Coordinate, name, out);
}

void readColours(py::handle column, const char* name, std::vector<int32_t>& out) {
    readColumn(column, Want::Colour, name, out);
}

}  // namespace qel
