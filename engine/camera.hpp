#pragma once
// Where the world is seen from: the world point (x, y) is drawn at the window point `anchor`,
// zoomed and turned about it. Layers marked fixed (a HUD) are drawn in window pixels as they
// are. Angles are degrees, clockwise as seen (y runs down).

#include <algorithm>
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
        double c = 0.0;
        double s = 0.0;
        turn(c, s);
        c *= zoom;
        s *= zoom;
        const double dx = world.x - x;
        const double dy = world.y - y;
        return Point2D{anchorX + c * dx - s * dy, anchorY + s * dx + c * dy};
    }
    Point2D toWorld(const Point2D& screen) const {
        double c = 0.0;
        double s = 0.0;
        turn(c, s);
        c /= zoom;
        s /= zoom;
        const double dx = screen.x - anchorX;
        const double dy = screen.y - anchorY;
        return Point2D{x + c * dx + s * dy, y - s * dx + c * dy};
    }
    // Within one turn first (fmod is exact): every double above 2^53 is a whole number, so a
    // huge angle would otherwise read as quarter turns.
    double radians() const { return std::fmod(angle, 360.0) * (3.14159265358979323846 / 180.0); }
    // The cosine and sine of the angle, exact for quarter turns (cos 90 degrees computed is
    // 6e-17, which would turn boxes ever so slightly).
    void turn(double& c, double& s) const {
        const double quarters = std::fmod(angle, 360.0) / 90.0;
        if (quarters == std::floor(quarters) && std::isfinite(quarters)) {
            static constexpr double kCos[4] = {1.0, 0.0, -1.0, 0.0};
            static constexpr double kSin[4] = {0.0, 1.0, 0.0, -1.0};
            const int q = static_cast<int>(std::fmod(std::fmod(quarters, 4.0) + 4.0, 4.0));
            c = kCos[q];
            s = kSin[q];
            return;
        }
        c = std::cos(radians());
        s = std::sin(radians());
    }
    // The world area a window `width` by `height` shows: the box around its corners.
    void visibleArea(double width, double height, double& left, double& top, double& right,
                     double& bottom) const {
        if (isDefault()) {
            left = 0.0;
            top = 0.0;
            right = width;
            bottom = height;
            return;
        }
        const Point2D corners[4] = {toWorld({0.0, 0.0}), toWorld({width, 0.0}), toWorld({0.0, height}),
                                    toWorld({width, height})};
        left = right = corners[0].x;
        top = bottom = corners[0].y;
        for (const Point2D& p : corners) {
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
    }
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
