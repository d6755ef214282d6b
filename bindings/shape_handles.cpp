#include "bindings/shape_handles.hpp"

#include <algorithm>
#include <sstream>

namespace qel {

double StepClock::take(Step step, std::int64_t now, double frameTime) {
    std::int64_t& previous = last[static_cast<int>(step)];
    double seconds = frameTime;
    if (previous != 0) {
        // Steps between two polls see the same clock reading, so only the first moves.
        const double since = static_cast<double>(std::max<std::int64_t>(now - previous, 0)) / 1e9;
        seconds = std::min(since, frameTime);
    }
    previous = now;
    return seconds;
}

namespace {

// The coordinate after a step of `delta` towards a limit that stops it. The clamp may move a
// shape back into the area (the window's one-sided rule); but where a camera shows less than
// the shape's `size` along the axis, no place inside exists, and the step stops where it is
// rather than going back.
double towardsLimit(double from, double delta, double limit, bool up, double size, double span,
                    const StepArea& area) {
    if (area.camera && size > span) limit = up ? std::max(limit, from) : std::min(limit, from);
    return up ? std::min(from + delta, limit) : std::max(from + delta, limit);
}

}  // namespace

void stepCircle(Circle& circle, Step step, double dt, const StepArea& area) {
    const double delta = dt * circle.speed;
    const double d = 2 * circle.radius;
    const double w = area.right - area.left;
    const double h = area.bottom - area.top;
    Point2D& c = circle.center;
    switch (step) {
        case Step::Up: c.y = towardsLimit(c.y, -delta, area.top + circle.radius, false, d, h, area); break;
        case Step::Down: c.y = towardsLimit(c.y, delta, area.bottom - circle.radius, true, d, h, area); break;
        case Step::Left: c.x = towardsLimit(c.x, -delta, area.left + circle.radius, false, d, w, area); break;
        case Step::Right: c.x = towardsLimit(c.x, delta, area.right - circle.radius, true, d, w, area); break;
    }
}

void stepRectangle(Rectangle& rectangle, Step step, double dt, const StepArea& area) {
    const double delta = dt * rectangle.speed;
    const double w = area.right - area.left;
    const double h = area.bottom - area.top;
    const double rw = rectangle.width;
    const double rh = rectangle.height;
    Point2D& p = rectangle.top_left;
    switch (step) {
        case Step::Up: p.y = towardsLimit(p.y, -delta, area.top, false, rh, h, area); break;
        case Step::Down: p.y = towardsLimit(p.y, delta, area.bottom - rh, true, rh, h, area); break;
        case Step::Left: p.x = towardsLimit(p.x, -delta, area.left, false, rw, w, area); break;
        case Step::Right: p.x = towardsLimit(p.x, delta, area.right - rw, true, rw, w, area); break;
    }
}

std::string formatPoint(const Point2D& point) {
    std::ostringstream out;
    out << "(" << point.x << ", " << point.y << ")";
    return out.str();
}

}  // namespace qel
