#include "engine/shape_lowering.hpp"

#include <cmath>

#include "engine/exact_turn.hpp"

namespace orv {

Turn turnOf(double degrees) {
    Turn t;
    exactTurn(degrees, t.c, t.s);
    return t;
}

bool finite(float a, float b, float c, float d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
}

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

// A picture's texels `rect` stretched over w by h pixels from (x, y).
Primitive& pictureQuad(DrawList& out, float x, float y, float w, float h, const AtlasRect& rect, uint32_t tint,
                       bool ownSize) {
    Primitive& p = boxQuad(out, kPrimQuad | kFlagTextured | (ownSize ? kFlagOneTexelAPixel : 0u), x, y, x + w, y + h,
                           tint);
    p.source[0] = static_cast<float>(rect.x);
    p.source[1] = static_cast<float>(rect.y);
    p.source[2] = static_cast<float>(rect.width);
    p.source[3] = static_cast<float>(rect.height);
    p.inverse[0] = static_cast<float>(rect.width) / w;
    p.inverse[3] = static_cast<float>(rect.height) / h;
    return p;
}

float pictureCorner(float at, bool ownSize) {
    return ownSize ? std::floor(at + 0.5f) : at;
}

}  // namespace orv
