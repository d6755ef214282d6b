#pragma once
// The handles of lines and polygons, and the turn and outline of rectangles and circles.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/point2d.hpp"
#include "platform/zero_filled.hpp"

namespace qel {

// A line from (x1, y1) to (x2, y2), turned about its middle.
struct Line {
    static constexpr const char* kKind = "Line";

    uint32_t id = 0;
    double x1 = 0.0;
    double y1 = 0.0;
    double x2 = 0.0;
    double y2 = 0.0;
    double width = 0.0;
    double angle = 0.0;

    // An instance made without createLine reads as all zeros.
    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* storage) noexcept { ::operator delete(storage); }
};

// A polygon: its points as given, drawn shifted by `offset` (which moveTo sets) and turned
// about their centroid.
struct Polygon {
    static constexpr const char* kKind = "Polygon";

    uint32_t id = 0;
    std::vector<Point2D> points;
    Point2D offset;
    double angle = 0.0;
    double outline = 0.0;

    // All zeros is an empty vector too.
    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* storage) noexcept { ::operator delete(storage); }
};

// An ellipse about its centre; its radii, turn and outline are read from the engine.
struct Ellipse {
    static constexpr const char* kKind = "Ellipse";

    uint32_t id = 0;

    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* storage) noexcept { ::operator delete(storage); }
};

// A sequence of (x, y) pairs of numbers; TypeError for anything else, ValueError for more
// points than a polygon may have.
std::vector<Point2D> pointsArgument(const pybind11::handle& points);

// Registers Line and Polygon, and adds setAngle/setOutline to Rectangle and Circle.
void registerDrawnShapeClasses(pybind11::module_& m);

}  // namespace qel
