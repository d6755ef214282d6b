#pragma once
// Colour text ("#ff8800") to packed 0xRRGGBB, and packed colour to float components.

#include <array>
#include <cstdint>
#include <ostream>
#include <string>

namespace orv {

// Skips the first byte, prints "0x" + the lower-cased rest as a line on `out`,
// then reads the leading hex digits. Throws std::out_of_range("invalid string position")
// for empty text, std::invalid_argument("invalid stoul argument") when no digit leads,
// std::out_of_range("stoul argument out of range") above 0xFFFFFFFF.
std::int32_t parseColor(const std::string& text, std::ostream& out);
std::int32_t parseColor(const std::string& text);  // prints to std::cout

// Each byte divided by 255 in float; bits 24 to 31 are ignored.
std::array<float, 3> unpackColor(std::int32_t packed);

}  // namespace orv
