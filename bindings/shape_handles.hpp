#pragma once
// The script-side handles: plain records that reach the engine only by identifier.

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/point2d.hpp"
#include "engine/zero_filled.hpp"

namespace qel {

struct Circle {
    uint32_t id = 0;
    Point2D center;
    double radius = 0.0;
    double speed = 0.0;

    // A record whose __init__ never ran reads as id 0 at (0, 0), sizes 0.
    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* record) noexcept { ::operator delete(record); }
};

struct Rectangle {
    uint32_t id = 0;
    Point2D top_left;
    double height = 0.0;
    double width = 0.0;
    double speed = 0.0;

    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* record) noexcept { ::operator delete(record); }
};

enum class Step { Up, Down, Left, Right };

// Advances one coordinate by dt * speed, clamped on the side it moves towards only:
// the shape's disc or area stays inside a W by H drawing area.
void stepCircle(Circle& circle, Step step, double dt, double W, double H);
void stepRectangle(Rectangle& rectangle, Step step, double dt, double W, double H);

// "(x, y)" with the stream's default number formatting.
std::string formatPoint(const Point2D& point);

}  // namespace qel
