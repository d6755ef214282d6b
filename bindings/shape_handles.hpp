#pragma once
// The script-side handles: plain records that reach the engine only by identifier.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/point2d.hpp"
#include "platform/zero_filled.hpp"

namespace qel {

enum class Step { Up, Down, Left, Right };

// When a handle last stepped in each direction, as the poll clock read then (0: never).
// A step covers the time since the previous one in its direction, so a loop that steps
// more often than it draws still moves at the handle's speed.
class StepClock {
public:
    // Seconds the step may cover: the time since the previous step in this direction,
    // at most frameTime; a first step covers frameTime. Records `now`.
    double take(Step step, std::int64_t now, double frameTime);

private:
    std::int64_t last[4] = {};
};

// Built from the fields a script sees; the step clock starts as never stepped.
struct Circle {
    static constexpr const char* kKind = "Circle";

    Circle() = default;
    Circle(uint32_t identifier, Point2D centre, double radiusPx, double pxPerSecond)
        : id{identifier}, center{centre}, radius{radiusPx}, speed{pxPerSecond} {}

    uint32_t id = 0;
    Point2D center;
    double radius = 0.0;
    double speed = 0.0;
    StepClock steps;
    // Beyond the fields above: the outline's width (0: filled).
    double outline = 0.0;

    // A record whose __init__ never ran reads as id 0 at (0, 0), sizes 0, never stepped.
    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* record) noexcept { ::operator delete(record); }
};

struct Rectangle {
    static constexpr const char* kKind = "Rectangle";

    Rectangle() = default;
    Rectangle(uint32_t identifier, Point2D topLeft, double heightPx, double widthPx, double pxPerSecond)
        : id{identifier}, top_left{topLeft}, height{heightPx}, width{widthPx}, speed{pxPerSecond} {}

    uint32_t id = 0;
    Point2D top_left;
    double height = 0.0;
    double width = 0.0;
    double speed = 0.0;
    StepClock steps;
    // Beyond the fields above: the turn in degrees and the outline's width (0: filled).
    double angle = 0.0;
    double outline = 0.0;

    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* record) noexcept { ::operator delete(record); }
};

// The handles of createDisc and createRect: the same records, but their setColor takes every
// colour form, as the handles of the other added functions do.
struct Disc : Circle {
    using Circle::Circle;
};

struct Rect : Rectangle {
    using Rectangle::Rectangle;
};

// Where the step moves keep shapes: the drawing area, 0 to W by 0 to H, or with a camera the
// world area the window shows.
struct StepArea {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
    // The world area a camera shows, rather than the window.
    bool camera = false;
};

// Advances one coordinate by dt * speed, clamped on the side it moves towards only:
// the shape's disc or area stays inside `area`.
void stepCircle(Circle& circle, Step step, double dt, const StepArea& area);
void stepRectangle(Rectangle& rectangle, Step step, double dt, const StepArea& area);

// "(x, y)" with the stream's default number formatting.
std::string formatPoint(const Point2D& point);

}  // namespace qel
