#include "engine/shape_lowering.hpp"

#include <cmath>

#include "engine/polygon_outline.hpp"

namespace orv {

namespace {

// Cosine and sine of a turn in degrees, exact for quarter turns, so a rectangle turned by
// one lands on the same pixels as an unturned one.
struct Turn {
    double c = 1.0;
    double s = 0.0;

    bool none() const { return c == 1.0 && s == 0.0; }
};

Turn turnOf(double degrees) {
    double r = std::fmod(degrees, 360.0);
    if (r < 0.0) {
        r += 360.0;
    }
    if (r == 0.0) return {1.0, 0.0};
    if (r == 90.0) return {0.0, 1.0};
    if (r == 180.0) return {-1.0, 0.0};
    if (r == 270.0) return {0.0, -1.0};
    const double radians = r * (3.14159265358979323846 / 180.0);
    return {std::cos(radians), std::sin(radians)};
}

bool finite(float a, float b, float c, float d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

// A solid parallelogram from (x, y) along e1 and e2; axis-aligned when its sides run along x
// and y. Nothing for one of no area.
void solidQuad(DrawList& out, double x, double y, double e1x, double e1y, double e2x, double e2y, uint32_t color) {
    if ((e1y == 0.0 && e2x == 0.0) || (e1x == 0.0 && e2y == 0.0)) {
        const float left = static_cast<float>(std::fmin(x, x + e1x + e2x));
        const float right = static_cast<float>(std::fmax(x, x + e1x + e2x));
        const float top = static_cast<float>(std::fmin(y, y + e1y + e2y));
        const float bottom = static_cast<float>(std::fmax(y, y + e1y + e2y));
        if (!(left < right) || !(top < bottom) || !finite(left, right, top, bottom)) {
            return;
        }
        boxQuad(out, kPrimQuad, left, top, right, bottom, color);
        return;
    }
    const float p0x = static_cast<float>(x);
    const float p0y = static_cast<float>(y);
    const float p1x = static_cast<float>(x + e1x);
    const float p1y = static_cast<float>(y + e1y);
    const float p2x = static_cast<float>(x + e2x);
    const float p2y = static_cast<float>(y + e2y);
    // The inverse of the corners as stored, so every renderer maps pixels by the same sides.
    const float ux = p1x - p0x;
    const float uy = p1y - p0y;
    const float vx = p2x - p0x;
    const float vy = p2y - p0y;
    const float det = ux * vy - vx * uy;
    if (!(det != 0.0f) || !std::isfinite(det) || !finite(p0x, p0y, p1x + p2x, p1y + p2y)) {
        return;
    }
    Primitive& p = out.add();
    p.p0[0] = p0x;
    p.p0[1] = p0y;
    p.p1[0] = p1x;
    p.p1[1] = p1y;
    p.p2[0] = p2x;
    p.p2[1] = p2y;
    p.color = color;
    p.kind = kPrimQuad;
    p.source[2] = 1.0f;
    p.source[3] = 1.0f;
    p.inverse[0] = vy / det;
    p.inverse[1] = -vx / det;
    p.inverse[2] = -uy / det;
    p.inverse[3] = ux / det;
}

void solidTriangle(DrawList& out, const Point2D& a, const Point2D& b, const Point2D& c, uint32_t color) {
    const float v[3][2] = {{static_cast<float>(a.x), static_cast<float>(a.y)},
                           {static_cast<float>(b.x), static_cast<float>(b.y)},
                           {static_cast<float>(c.x), static_cast<float>(c.y)}};
    const float area = (v[1][0] - v[0][0]) * (v[2][1] - v[0][1]) - (v[1][1] - v[0][1]) * (v[2][0] - v[0][0]);
    if (!(area != 0.0f) || !std::isfinite(area)) {
        return;
    }
    Primitive& p = out.add();
    p.p0[0] = v[0][0];
    p.p0[1] = v[0][1];
    p.p1[0] = v[1][0];
    p.p1[1] = v[1][1];
    p.p2[0] = v[2][0];
    p.p2[1] = v[2][1];
    p.color = color;
    p.kind = kPrimTriangle;
}

}  // namespace

void lowerTurnedRectangle(const GameObject& object, uint32_t color, DrawList& out) {
    const double w = std::fabs(object.sizeX);
    const double h = std::fabs(object.sizeY);
    const double left = std::fmin(object.x, object.x + object.sizeX);
    const double top = std::fmin(object.y, object.y + object.sizeY);
    const Turn t = turnOf(object.angle);
    // A box given from the rectangle's top-left corner, turned about its centre.
    const auto box = [&](double l, double tp, double r, double b) {
        if (t.none()) {
            solidQuad(out, left + l, top + tp, r - l, 0.0, 0.0, b - tp, color);
            return;
        }
        const double dx = l - w / 2.0;
        const double dy = tp - h / 2.0;
        solidQuad(out, left + w / 2.0 + t.c * dx - t.s * dy, top + h / 2.0 + t.s * dx + t.c * dy, t.c * (r - l),
                  t.s * (r - l), -t.s * (b - tp), t.c * (b - tp), color);
    };
    const double s = object.stroke;
    if (!(s > 0.0) || 2.0 * s >= w || 2.0 * s >= h) {
        box(0.0, 0.0, w, h);
        return;
    }
    box(0.0, 0.0, w, s);          // top, the whole width
    box(0.0, h - s, w, h);        // bottom, the whole width
    box(0.0, s, s, h - s);        // left, between them
    box(w - s, s, w, h - s);      // right
}

void lowerLine(const GameObject& object, uint32_t color, DrawList& out) {
    double ax = object.x;
    double ay = object.y;
    double dx = object.sizeX;
    double dy = object.sizeY;
    const Turn t = turnOf(object.angle);
    if (!t.none()) {
        const double mx = ax + dx / 2.0;
        const double my = ay + dy / 2.0;
        const double tx = t.c * dx - t.s * dy;
        const double ty = t.s * dx + t.c * dy;
        dx = tx;
        dy = ty;
        ax = mx - dx / 2.0;
        ay = my - dy / 2.0;
    }
    const double length = std::hypot(dx, dy);
    if (!(length > 0.0) || !(object.stroke > 0.0) || !std::isfinite(length)) {
        return;
    }
    // Half the width across the line.
    const double nx = -dy / length * (object.stroke / 2.0);
    const double ny = dx / length * (object.stroke / 2.0);
    solidQuad(out, ax - nx, ay - ny, dx, dy, 2.0 * nx, 2.0 * ny, color);
}

void lowerPolygon(const GameObject& object, const PolygonShape* shape, uint32_t color, DrawList& out) {
    if (shape == nullptr) {
        return;
    }
    const Turn t = turnOf(object.angle);
    const Point2D& centre = shape->centroid;
    const auto place = [&](const Point2D& p) {
        if (t.none()) {
            return Point2D{p.x + object.x, p.y + object.y};
        }
        const double dx = p.x - centre.x;
        const double dy = p.y - centre.y;
        return Point2D{object.x + centre.x + t.c * dx - t.s * dy, object.y + centre.y + t.s * dx + t.c * dy};
    };
    const std::vector<Point2D>& points = shape->points;
    if (!(object.stroke > 0.0)) {
        const std::vector<uint32_t>& tri = shape->triangles;
        for (size_t i = 0; i + 2 < tri.size(); i += 3) {
            solidTriangle(out, place(points[tri[i]]), place(points[tri[i + 1]]), place(points[tri[i + 2]]), color);
        }
        return;
    }
    // The outline's triangles stay inside the polygon (engine/polygon_outline.cpp).
    const std::vector<Point2D>& corners = polygonOutline(*shape, object.stroke);
    for (size_t i = 0; i + 2 < corners.size(); i += 3) {
        solidTriangle(out, place(corners[i]), place(corners[i + 1]), place(corners[i + 2]), color);
    }
}

}  // namespace orv
