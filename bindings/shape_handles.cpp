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

void stepCircle(Circle& circle, Step step, double dt, const StepArea& area) {
    const double delta = dt * circle.speed;
    Point2D& c = circle.center;
    switch (step) {
        case Step::Up: c.y = std::max(c.y - delta, area.top + circle.radius); break;
        case Step::Down: c.y = std::min(c.y + delta, area.bottom - circle.radius); break;
        case Step::Left: c.x = std::max(c.x - delta, area.left + circle.radius); break;
        case Step::Right: c.x = std::min(c.x + delta, area.right - circle.radius); break;
    }
}

void stepRectangle(Rectangle& rectangle, Step step, double dt, const StepArea& area) {
    const double delta = dt * rectangle.speed;
    Point2D& p = rectangle.top_left;
    switch (step) {
        case Step::Up: p.y = std::max(p.y - delta, area.top); break;
        case Step::Down: p.y = std::min(p.y + delta, area.bottom - rectangle.height); break;
        case Step::Left: p.x = std::max(p.x - delta, area.left); break;
        case Step::Right: p.x = std::min(p.x + delta, area.right - rectangle.width); break;
    }
}

std::string formatPoint(const Point2D& point) {
    std::ostringstream out;
    out << "(" << point.x << ", " << point.y << ")";
    return out.str();
}

}  // namespace qel
