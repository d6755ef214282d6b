#pragma once
// Text to draw: a str, or bytes taken as UTF-8 (bytes that do not decode draw the font's
// replacement). A str with a lone surrogate, which has no UTF-8 form, draws U+FFFD in its
// place, as such bytes do, rather than be refused.

#include <pybind11/pybind11.h>

#include <string>

namespace qel {

struct TextArgument {
    std::string utf8;
};

// The str's UTF-8, each lone surrogate as U+FFFD.
std::string utf8OfText(pybind11::handle text);

// Text the window system takes as UTF-8 (a title): bytes that are not raise ValueError.
void requireUtf8(const std::string& text, const char* what);

}  // namespace qel

namespace pybind11::detail {

template <>
struct type_caster<qel::TextArgument> {
    PYBIND11_TYPE_CASTER(qel::TextArgument, const_name("str"));

    bool load(handle source, bool convert) {
        if (PyUnicode_Check(source.ptr())) {
            value.utf8 = qel::utf8OfText(source);
            return true;
        }
        // Anything else as a std::string argument takes it.
        make_caster<std::string> bytes;
        if (!bytes.load(source, convert)) {
            return false;
        }
        value.utf8 = cast_op<std::string&&>(std::move(bytes));
        return true;
    }

    static handle cast(const qel::TextArgument& text, return_value_policy, handle) {
        return PyUnicode_DecodeUTF8(text.utf8.data(), static_cast<Py_ssize_t>(text.utf8.size()), "replace");
    }
};

}  // namespace pybind11::detail
