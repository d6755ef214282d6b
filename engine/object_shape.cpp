#include "engine/object_shape.hpp"

#include <cmath>

#include "engine/shape_geometry.hpp"

namespace orv {

void shapeOf(const GameObject& object, bool texels, std::vector<Piece>& out, DrawList& scratch) {
    if (!object.visible) {
        return;
    }
    const HitArea area = hitAreaOf(object, texels);
    if (area.shape != HitArea::Shape::Pieces) {
        const QuadCorners& c = area.corners;
        // As the hit tests have it: nothing is inside a box with a negative size or a disc of
        // negative radius, and NaN holds nothing.
        if (!(c.left <= c.right) || !(c.top <= c.bottom)) {
            return;
        }
        if (area.shape == HitArea::Shape::Box) {
            out.push_back(Piece::box(c.left, c.top, c.right, c.bottom));
        } else if (area.shape == HitArea::Shape::Disc && area.radius >= 0.0) {
            out.push_back(Piece::circle(static_cast<double>(c.left) + area.radius,
                                        static_cast<double>(c.top) + area.radius, area.radius));
        }
        return;
    }
    // Colour and opacity play no part: a transparent shape keeps its shape.
    scratch.begin(1, 1, 0);
    lowerObject(object, true, scratch);
    for (const Primitive& primitive : scratch.primitives) {
        out.push_back(Piece::of(primitive));
    }
}

bool shapeHolds(const GameObject& object, const Piece* pieces, size_t count, const Point2D& point) {
    if (!object.visible) {
        return false;
    }
    const HitArea area = hitAreaOf(object);
    if (area.shape != HitArea::Shape::Pieces) {
        return hits(area, point);
    }
    for (size_t i = 0; i < count; ++i) {
        if (contains(pieces[i], Vec2{point.x, point.y})) {
            return true;
        }
    }
    return false;
}

Piece seenThrough(const Piece& piece, const Camera& camera, bool toScreen) {
    // The camera is a similarity: points map through it, directions through its linear part.
    const Point2D origin = toScreen ? camera.toScreen({0.0, 0.0}) : camera.toWorld({0.0, 0.0});
    const auto point = [&](const Vec2& v) {
        const Point2D p = toScreen ? camera.toScreen({v.x, v.y}) : camera.toWorld({v.x, v.y});
        return Vec2{p.x, p.y};
    };
    const auto direction = [&](const Vec2& v) {
        const Vec2 p = point(v);
        return Vec2{p.x - origin.x, p.y - origin.y};
    };
    Piece out = piece;
    if (piece.kind == Piece::Kind::Ellipse) {
        out.at[0] = point(piece.at[0]);
        out.at[1] = direction(piece.at[1]);
        out.at[2] = direction(piece.at[2]);
    } else {
        for (uint8_t i = 0; i < piece.count; ++i) {
            out.at[i] = point(piece.at[i]);
        }
    }
    if (piece.textured) {
        // Texels follow the corners: the new inverse is the old one after the map's inverse.
        const Vec2 ex = direction({1.0, 0.0});
        const Vec2 ey = direction({0.0, 1.0});
        const double det = ex.x * ey.y - ey.x * ex.y;
        const double back[4] = {ey.y / det, -ey.x / det, -ex.y / det, ex.x / det};
        const auto& inv = piece.inverse;
        out.inverse = {inv[0] * back[0] + inv[1] * back[2], inv[0] * back[1] + inv[1] * back[3],
                       inv[2] * back[0] + inv[3] * back[2], inv[2] * back[1] + inv[3] * back[3]};
    }
    return out;
}

}  // namespace orv
