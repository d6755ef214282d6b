#include "bindings/python_output.hpp"

#include <pybind11/pybind11.h>

#include <iostream>
#include <streambuf>
#include <string>

namespace py = pybind11;

namespace qel {

namespace {

class Collector : public std::streambuf {
public:
    std::string pending;
    bool quiet = false;
    // What std::cout wrote to before; it gets its buffer back before this one is gone, since
    // the standard library flushes std::cout at exit, after our statics are destroyed.
    std::streambuf* previous = nullptr;

    ~Collector() override {
        if (previous != nullptr) {
            std::cout.rdbuf(previous);
        }
    }

protected:
    int_type overflow(int_type c) override {
        if (!quiet && !traits_type::eq_int_type(c, traits_type::eof())) {
            pending += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (!quiet) pending.append(s, static_cast<size_t>(n));
        return n;
    }
};

Collector& collector() {
    static Collector instance;
    return instance;
}

void write(const std::string& text) {
    py::object out = py::module_::import("sys").attr("stdout");
    if (out.is_none()) return;
    PyObject* decoded = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
    if (decoded != nullptr) {
        out.attr("write")(py::reinterpret_steal<py::str>(decoded));
    } else {
        PyErr_Clear();
        // Colour text echoes the script's bytes as they are: to the byte stream when there
        // is one, with replacement characters when there is only text.
        out.attr("flush")();
        if (py::hasattr(out, "buffer")) {
            out.attr("buffer").attr("write")(py::bytes(text));
        } else {
            out.attr("write")(py::reinterpret_steal<py::str>(PyUnicode_DecodeUTF8(
                text.data(), static_cast<Py_ssize_t>(text.size()), "replace")));
        }
    }
    out.attr("flush")();
}

bool isInterrupt(const py::error_already_set& error) {
    return error.matches(PyExc_KeyboardInterrupt) || error.matches(PyExc_SystemExit);
}

}  // namespace

void captureStandardOutput() {
    std::cout.flush();
    Collector& c = collector();
    std::streambuf* previous = std::cout.rdbuf(&c);
    if (c.previous == nullptr) {
        c.previous = previous;
    }
}

void flushOutput() {
    Collector& c = collector();
    if (c.pending.empty()) return;
    const std::string text = std::move(c.pending);
    c.pending.clear();
    try {
        write(text);
    } catch (py::error_already_set& error) {
        // An interrupt is the script's to handle; any other failure of the stream is reported
        // as Python reports errors it cannot raise, and the text is dropped.
        if (isInterrupt(error)) throw;
        error.discard_as_unraisable("writing qel's output to sys.stdout");
    }
}

void flushOutputQuietly() noexcept {
    try {
        flushOutput();
    } catch (...) {
    }
}

void setQuiet(bool quiet) {
    collector().quiet = quiet;
    if (quiet) collector().pending.clear();
}

bool isQuiet() { return collector().quiet; }

}  // namespace qel
