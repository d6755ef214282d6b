#include "bindings/colour_argument.hpp"

#include <string>
#include <string_view>

#include "render/colour_text.hpp"

namespace py = pybind11;

namespace qel {

namespace {

constexpr const char* kAccepted =
    "a colour is \"#rgb\", \"#rrggbb\" or \"#rrggbbaa\", a CSS colour name such as \"red\", "
    "(r, g, b) or (r, g, b, a) of ints 0 to 255, or an int 0xRRGGBB";

// The value as the script would write it, cut short so a long list cannot flood the message.
std::string shown(const py::handle& value) {
    std::string text;
    try {
        text = py::repr(value).cast<std::string>();
    } catch (const py::error_already_set&) {
        text = std::string("<") + Py_TYPE(value.ptr())->tp_name + ">";
    }
    constexpr std::size_t kLongest = 80;
    if (text.size() > kLongest) {
        text = text.substr(0, kLongest - 3) + "...";
    }
    return text;
}

[[noreturn]] void refuse(const py::handle& value, const std::string& why) {
    throw py::value_error("not a colour: " + shown(value) + " (" + why + "); " + kAccepted);
}

// A whole number that is not a bool (True is no more a colour component than 1.0 is).
bool isWholeNumber(PyObject* value) {
    return !PyBool_Check(value) && !PyFloat_Check(value) && PyIndex_Check(value);
}

// The whole number's value when it lies in [0, most], or -1.
long long inRange(PyObject* value, long long most) {
    py::object index = py::reinterpret_steal<py::object>(PyNumber_Index(value));
    if (!index) {
        throw py::error_already_set();
    }
    int overflow = 0;
    const long long x = PyLong_AsLongLongAndOverflow(index.ptr(), &overflow);
    if (x == -1 && PyErr_Occurred()) {
        throw py::error_already_set();
    }
    return overflow == 0 && x >= 0 && x <= most ? x : -1;
}

std::uint32_t fromComponents(const py::handle& colour) {
    // A tuple of the components: their __index__ is Python code, which could change a list.
    py::object items = py::reinterpret_steal<py::object>(PySequence_Tuple(colour.ptr()));
    if (!items) {
        throw py::error_already_set();
    }
    const Py_ssize_t count = PySequence_Fast_GET_SIZE(items.ptr());
    if (count != 3 && count != 4) {
        refuse(colour, std::to_string(count) + " components, not 3 or 4");
    }
    PyObject** item = PySequence_Fast_ITEMS(items.ptr());
    std::uint32_t packed = 0xFF000000u;
    for (Py_ssize_t i = 0; i < count; ++i) {
        const long long component = isWholeNumber(item[i]) ? inRange(item[i], 255) : -1;
        if (component < 0) {
            refuse(colour, "component " + std::to_string(i) + " is not an int from 0 to 255");
        }
        const unsigned shift = 8u * static_cast<unsigned>(i);
        packed = (packed & ~(0xFFu << shift)) | static_cast<std::uint32_t>(component) << shift;
    }
    return packed;
}

}  // namespace

std::uint32_t colourArgument(const py::handle& colour) {
    PyObject* value = colour.ptr();
    if (PyUnicode_Check(value)) {
        Py_ssize_t size = 0;
        // Only ASCII text can name a colour; anything else cannot be one.
        const char* text = PyUnicode_IS_ASCII(value) ? PyUnicode_AsUTF8AndSize(value, &size) : nullptr;
        if (text == nullptr) {
            PyErr_Clear();
            refuse(colour, "no such colour name or hex form");
        }
        if (const auto packed = orv::parseColourText(std::string_view(text, static_cast<std::size_t>(size)))) {
            return *packed;
        }
        refuse(colour, "no such colour name or hex form");
    }
    if (PyTuple_Check(value) || PyList_Check(value)) {
        return fromComponents(colour);
    }
    if (isWholeNumber(value)) {
        const long long rgb = inRange(value, 0xFFFFFF);
        if (rgb < 0) {
            refuse(colour, "an int colour is 0xRRGGBB, from 0 to 0xFFFFFF");
        }
        return orv::rgbaOfHex(static_cast<std::uint32_t>(rgb));
    }
    refuse(colour, std::string("of type ") + Py_TYPE(value)->tp_name);
}

}  // namespace qel
