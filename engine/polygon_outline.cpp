#include "engine/polygon_outline.hpp"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

using Convex = std::vector<Point2D>;

// Keeps the part of `shape` where (p - at) . normal >= 0.
void keepSide(Convex& shape, const Point2D& at, const Point2D& normal) {
    if (shape.empty()) return;
    Convex kept;
    kept.reserve(shape.size() + 1);
    const auto side = [&](const Point2D& p) { return (p.x - at.x) * normal.x + (p.y - at.y) * normal.y; };
    for (size_t i = 0; i < shape.size(); ++i) {
        const Point2D& a = shape[i];
        const Point2D& b = shape[(i + 1) % shape.size()];
        const double sa = side(a);
        const double sb = side(b);
        if (sa >= 0.0) kept.push_back(a);
        if ((sa >= 0.0) != (sb >= 0.0)) {
            const double t = sa / (sa - sb);
            kept.push_back(Point2D{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    shape.swap(kept);
}

}  // namespace

std::vector<Point2D> polygonOutline(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring,
                                    const std::vector<uint32_t>& triangles, bool anticlockwise, double width) {
    std::vector<Point2D> out;
    const size_t n = ring.size();
    if (n < 3 || !(width > 0.0)) return out;
    // No part of the polygon is further than its box's diagonal from a side: a wider outline
    // is that wide, so huge widths stay finite.
    double left = points[ring[0]].x, right = left, top = points[ring[0]].y, bottom = top;
    for (uint32_t i : ring) {
        left = std::min(left, points[i].x);
        right = std::max(right, points[i].x);
        top = std::min(top, points[i].y);
        bottom = std::max(bottom, points[i].y);
    }
    const double reach = std::hypot(right - left, bottom - top);
    const double w = std::min(width, reach);
    const double hand = anticlockwise ? 1.0 : -1.0;
    const auto corner = [&](size_t i) { return points[ring[i % n]]; };
    const auto inward = [&](const Point2D& a, const Point2D& b) {
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        return length > 0.0 ? Point2D{-hand * (b.y - a.y) / length, hand * (b.x - a.x) / length} : Point2D{};
    };
    for (size_t i = 0; i < n; ++i) {
        const Point2D a = corner(i);
        const Point2D b = corner(i + 1);
        const Point2D in = inward(a, b);
        if (in.x == 0.0 && in.y == 0.0) continue;
        const Point2D before = inward(corner(i + n - 1), a);
        const Point2D after = inward(b, corner(i + 2));
        // Along the side, reaching past both ends: the halving lines cut it back.
        const Point2D along{in.y * hand, -in.x * hand};
        const Point2D a0{a.x - reach * along.x, a.y - reach * along.y};
        const Point2D b0{b.x + reach * along.x, b.y + reach * along.y};
        Convex band{a0, b0, Point2D{b0.x + w * in.x, b0.y + w * in.y}, Point2D{a0.x + w * in.x, a0.y + w * in.y}};
        // The corner at a is halved by the line through a along before + in; this side keeps
        // the half b is in. Likewise at b.
        const auto halve = [&](const Point2D& at, const Point2D& m, const Point2D& towards) {
            Point2D normal{-m.y, m.x};
            if ((towards.x - at.x) * normal.x + (towards.y - at.y) * normal.y < 0.0) {
                normal = Point2D{-normal.x, -normal.y};
            }
            keepSide(band, at, normal);
        };
        halve(a, Point2D{before.x + in.x, before.y + in.y}, b);
        halve(b, Point2D{in.x + after.x, in.y + after.y}, a);
        if (band.size() < 3) continue;
        double bl = band[0].x, br = bl, bt = band[0].y, bb = bt;
        for (const Point2D& p : band) {
            bl = std::min(bl, p.x);
            br = std::max(br, p.x);
            bt = std::min(bt, p.y);
            bb = std::max(bb, p.y);
        }
        // The band cut to each of the polygon's triangles it reaches.
        for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
            const Point2D& p0 = points[triangles[t]];
            const Point2D& p1 = points[triangles[t + 1]];
            const Point2D& p2 = points[triangles[t + 2]];
            if (std::max({p0.x, p1.x, p2.x}) < bl || std::min({p0.x, p1.x, p2.x}) > br ||
                std::max({p0.y, p1.y, p2.y}) < bt || std::min({p0.y, p1.y, p2.y}) > bb) {
                continue;
            }
            const double turn = (p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x);
            if (turn == 0.0) continue;
            const double s = turn > 0.0 ? 1.0 : -1.0;
            Convex piece = band;
            const Point2D* tri[3] = {&p0, &p1, &p2};
            for (int k = 0; k < 3 && piece.size() >= 3; ++k) {
                const Point2D& u = *tri[k];
                const Point2D& v = *tri[(k + 1) % 3];
                keepSide(piece, u, Point2D{-s * (v.y - u.y), s * (v.x - u.x)});
            }
            for (size_t k = 1; k + 1 < piece.size(); ++k) {
                out.push_back(piece[0]);
                out.push_back(piece[k]);
                out.push_back(piece[k + 1]);
            }
        }
    }
    return out;
}

const std::vector<Point2D>& polygonOutline(const PolygonShape& shape, double width) {
    if (shape.outlineWidth != width) {
        shape.outline = polygonOutline(shape.points, shape.ring, shape.triangles, shape.anticlockwise, width);
        shape.outlineWidth = width;
    }
    return shape.outline;
}

}  // namespace orv
