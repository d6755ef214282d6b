#pragma once
// Colour text ("#ff8800") to packed 0xRRGGBB; the engine unpacks it into components.

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

#include "render/color.hpp"

namespace orv {

// Skips the first byte, prints "0x" + the lower-cased rest as a line on `out`,
// then reads the leading hex digits. Throws std::out_of_range("invalid string position")
// for empty text, std::invalid_argument("invalid stoul argument") when no digit leads,
// std::out_of_range("stoul argument out of range") above 0xFFFFFFFF.
std::int32_t parseColor(const std::string& text, std::ostream& out);
std::int32_t parseColor(const std::string& text);  // prints to std::cout

}  // namespace orv
