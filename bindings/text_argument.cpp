#include "bindings/text_argument.hpp"

#include <cstdio>

#include "input/utf8.hpp"

namespace py = pybind11;

namespace qel {

std::string utf8OfText(py::handle text) {
    PyObject* str = text.ptr();
    Py_ssize_t size = 0;
    if (const char* utf8 = PyUnicode_AsUTF8AndSize(str, &size)) {
        return std::string(utf8, static_cast<size_t>(size));
    }
    if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) {
        throw py::error_already_set();
    }
    PyErr_Clear();
    // Only a lone surrogate stops the encoding: the text is encoded again character by
    // character, each surrogate as U+FFFD.
    std::string out;
    const Py_ssize_t length = PyUnicode_GET_LENGTH(str);
    out.reserve(static_cast<size_t>(length) * 3);
    for (Py_ssize_t i = 0; i < length; ++i) {
        Py_UCS4 c = PyUnicode_READ_CHAR(str, i);
        if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        orv::appendUtf8(out, static_cast<char32_t>(c));
    }
    return out;
}

std::string strictUtf8(py::handle text) {
    Py_ssize_t size = 0;
    if (const char* utf8 = PyUnicode_AsUTF8AndSize(text.ptr(), &size)) {
        return std::string(utf8, static_cast<size_t>(size));
    }
    if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) {
        throw py::error_already_set();
    }
    PyErr_Clear();
    for (Py_ssize_t i = 0, n = PyUnicode_GET_LENGTH(text.ptr()); i < n; ++i) {
        const Py_UCS4 c = PyUnicode_READ_CHAR(text.ptr(), i);
        if (c >= 0xD800 && c <= 0xDFFF) {
            char code[8];
            std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(c));
            throw py::value_error("the text holds a lone surrogate (U+" + std::string(code) + " at index " +
                                  std::to_string(i) + "), which is no character");
        }
    }
    throw py::value_error("the text has no UTF-8 form");
}

void requireUtf8(const std::string& text, const char* what) {
    PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
    if (decoded == nullptr) {
        PyErr_Clear();
        throw pybind11::value_error(std::string(what) + " must be UTF-8 text");
    }
    Py_DECREF(decoded);
}

}  // namespace qel
