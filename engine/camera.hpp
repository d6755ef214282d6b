#pragma once
// Where the world is seen from: the world point (x, y) is drawn at the window point `anchor`,
// zoomed and turned about it. Layers marked fixed (a HUD) are drawn in window pixels as they
// are. Angles are degrees, clockwise as seen (y runs down).

#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/point2d.hpp"

namespace orv {

struct Camera {
    double x = 0.0;
    double y = 0.0;
    double zoom = 1.0;
    double angle = 0.0;
    double anchorX = 0.0;
    double anchorY = 0.0;

    // World and window pixels are the same.
    bool isDefault() const {
        return x == anchorX && y == anchorY && zoom == 1.0 && std::fmod(angle, 360.0) == 0.0;
    }
    Point2D toScreen(const Point2D& world) const {
        const double c = std::cos(radians()) * zoom;
        const double s = std::sin(radians()) * zoom;
        const double dx = world.x - x;
        const double dy = world.y - y;
        return Point2D{anchorX + c * dx - s * dy, anchorY + s * dx + c * dy};
    }
    Point2D toWorld(const Point2D& screen) const {
        const double c = std::cos(radians()) / zoom;
        const double s = std::sin(radians()) / zoom;
        const double dx = screen.x - anchorX;
        const double dy = screen.y - anchorY;
        return Point2D{x + c * dx + s * dy, y - s * dx + c * dy};
    }
    double radians() const { return angle * (3.14159265358979323846 / 180.0); }
};

// The camera and the layers it does not move.
struct View {
    Camera camera;
    std::vector<int32_t> fixedLayers;

    bool isFixed(int32_t layer) const {
        for (int32_t fixed : fixedLayers) {
            if (fixed == layer) {
                return true;
            }
        }
        return false;
    }
};

}  // namespace orv
