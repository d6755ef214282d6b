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

// A key or button name (a str, or bytes taken as they are) and typed text (a str only), which
// must be real text: a lone surrogate raises ValueError naming it, not pybind11's "incompatible
// function arguments".
struct KeyName {
    std::string utf8;
};
struct TypedText {
    std::u32string text;
};

// The str's UTF-8; ValueError when it holds a lone surrogate.
std::string strictUtf8(pybind11::handle text);

}  // namespace qel

namespace pybind11::detail {

// Text as `decode` reads a str, or anything a std::string argument takes.
template <typename Text, typename Decode>
bool loadText(Text& value, handle source, bool convert, Decode decode) {
    if (PyUnicode_Check(source.ptr())) {
        value.utf8 = decode(source);
        return true;
    }
    make_caster<std::string> bytes;
    if (!bytes.load(source, convert)) {
        return false;
    }
    value.utf8 = cast_op<std::string&&>(std::move(bytes));
    return true;
}

template <>
struct type_caster<qel::TextArgument> {
    PYBIND11_TYPE_CASTER(qel::TextArgument, const_name("str"));

    bool load(handle source, bool convert) { return loadText(value, source, convert, qel::utf8OfText); }

    static handle cast(const qel::TextArgument& text, return_value_policy, handle) {
        return PyUnicode_DecodeUTF8(text.utf8.data(), static_cast<Py_ssize_t>(text.utf8.size()), "replace");
    }
};

template <>
struct type_caster<qel::KeyName> {
    PYBIND11_TYPE_CASTER(qel::KeyName, const_name("str"));

    bool load(handle source, bool convert) { return loadText(value, source, convert, qel::strictUtf8); }
};

template <>
struct type_caster<qel::TypedText> {
    PYBIND11_TYPE_CASTER(qel::TypedText, const_name("str"));

    bool load(handle source, bool) {
        if (!PyUnicode_Check(source.ptr())) {
            return false;
        }
        qel::strictUtf8(source);
        const Py_ssize_t length = PyUnicode_GET_LENGTH(source.ptr());
        value.text.resize(static_cast<size_t>(length));
        for (Py_ssize_t i = 0; i < length; ++i) {
            value.text[static_cast<size_t>(i)] = PyUnicode_READ_CHAR(source.ptr(), i);
        }
        return true;
    }
};

}  // namespace pybind11::detail
