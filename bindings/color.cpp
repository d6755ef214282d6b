#include "bindings/color.hpp"

#include <iostream>
#include <stdexcept>

namespace orv {

namespace {

int hexDigitValue(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::int32_t parseColor(const std::string& text, std::ostream& out) {
    if (text.empty()) throw std::out_of_range("invalid string position");

    std::string rest = text.substr(1);
    // ASCII only: locale tolower could rewrite UTF-8 bytes.
    for (char& ch : rest) {
        if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
    }
    out << "0x" << rest << "\n";
    out.flush();

    // Hand-rolled so whitespace, signs and a second "0x" are not accepted.
    std::uint64_t value = 0;
    std::size_t digits = 0;
    for (unsigned char c : rest) {
        const int d = hexDigitValue(c);
        if (d < 0) break;
        ++digits;
        // Checked per digit so long runs cannot wrap the accumulator.
        value = value * 16u + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull) throw std::out_of_range("stoul argument out of range");
    }
    if (digits == 0) throw std::invalid_argument("invalid stoul argument");

    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

std::int32_t parseColor(const std::string& text) { return parseColor(text, std::cout); }


}  // namespace orv
