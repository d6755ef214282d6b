#pragma once
// A point in window pixels: origin at the top-left of the drawing area, y growing down.

#include <cstddef>

#include "platform/zero_filled.hpp"

struct Point2D {
    double x = 0.0;
    double y = 0.0;

    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* point) noexcept { ::operator delete(point); }
};
