#include "reference_raster.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace orv {

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;  // premultiplied
};

Rgba premultiplied(uint32_t packed) {
    const double a = colorComponent(packed, 3);
    return {colorComponent(packed, 0) * a, colorComponent(packed, 1) * a, colorComponent(packed, 2) * a, a};
}

// Where the pixel centre lies in the primitive's source (texels; the unit square for a solid
// quad or a rounded box; 0..2 across a disc).
void sourceAt(const Primitive& p, double x, double y, double& u, double& v) {
    const double dx = x - p.p0[0];
    const double dy = y - p.p0[1];
    u = p.inverse[0] * dx + p.inverse[1] * dy;
    v = p.inverse[2] * dx + p.inverse[3] * dy;
}

// Whether (x, y) lies in the rounded box [0, w) x [0, h) with corners of radius r.
bool insideRounded(double x, double y, double w, double h, double r) {
    const double cx = x - std::clamp(x, r, w - r);
    const double cy = y - std::clamp(y, r, h - r);
    return 0 <= x && x < w && 0 <= y && y < h && cx * cx + cy * cy <= r * r;
}

// A rounded box's place in pixels, and its radius as drawn.
void roundedPlace(const Primitive& p, double x, double y, double& lx, double& ly, double& radius) {
    sourceAt(p, x, y, lx, ly);
    lx *= p.source[0];
    ly *= p.source[1];
    radius = std::clamp<double>(p.source[2], 0.0, 0.5 * std::min(p.source[0], p.source[1]));
}

double cross(double ax, double ay, double bx, double by, double px, double py) {
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

bool covers(const Primitive& p, double x, double y) {
    switch (p.kindNumber()) {
        case kPrimTriangle: {
            const double area = cross(p.p0[0], p.p0[1], p.p1[0], p.p1[1], p.p2[0], p.p2[1]);
            const double s = area > 0 ? 1.0 : -1.0;
            return s * cross(p.p0[0], p.p0[1], p.p1[0], p.p1[1], x, y) >= 0 &&
                   s * cross(p.p1[0], p.p1[1], p.p2[0], p.p2[1], x, y) >= 0 &&
                   s * cross(p.p2[0], p.p2[1], p.p0[0], p.p0[1], x, y) >= 0;
        }
        case kPrimDisc: {
            double u = 0, v = 0;
            sourceAt(p, x, y, u, v);
            const double along = (u - 1) * (u - 1) + (v - 1) * (v - 1);
            if (!p.has(kFlagRing) || !(p.source[0] > 0.0f && p.source[1] > 0.0f)) {
                return along <= 1.0;
            }
            const double hu = (u - 1) / p.source[0];
            const double hv = (v - 1) / p.source[1];
            return along <= 1.0 && hu * hu + hv * hv >= 1.0;
        }
        case kPrimRoundedBox: {
            double lx = 0, ly = 0, r = 0;
            roundedPlace(p, x, y, lx, ly, r);
            const double w = p.source[0];
            const double h = p.source[1];
            const double o = p.source[3];
            const bool hole = o > 0 && w - 2 * o > 0 && h - 2 * o > 0 &&
                              insideRounded(lx - o, ly - o, w - 2 * o, h - 2 * o, std::max(r - o, 0.0));
            return insideRounded(lx, ly, w, h, r) && !hole;
        }
        default: {
            if (p.has(kFlagAxisAligned)) {
                const PixelBox b = boundsOf(p);
                return b.left <= x && x < b.right && b.top <= y && y < b.bottom;
            }
            double u = 0, v = 0;
            sourceAt(p, x, y, u, v);
            return 0 <= u && u < p.source[2] && 0 <= v && v < p.source[3];
        }
    }
}

Rgba texelAt(const TexelLookup& texel, const Primitive& p, int tx, int ty) {
    tx = std::clamp(tx, 0, static_cast<int>(p.source[2]) - 1);
    ty = std::clamp(ty, 0, static_cast<int>(p.source[3]) - 1);
    const std::array<uint8_t, 4> t =
        texel(static_cast<uint32_t>(p.source[0]) + static_cast<uint32_t>(tx), static_cast<uint32_t>(p.source[1]) + static_cast<uint32_t>(ty));
    const double a = t[3] / 255.0;
    return {t[0] / 255.0 * a, t[1] / 255.0 * a, t[2] / 255.0 * a, a};
}

// A picture's colour at a place in it: one texel at its own size on whole pixels or unfiltered, else
// bilinear between the four around it, clamped to the picture.
Rgba sample(const TexelLookup& texel, const Primitive& p, double u, double v) {
    if (p.has(kFlagOneTexelAPixel) || p.has(kFlagNearest)) {
        return texelAt(texel, p, static_cast<int>(std::floor(u)), static_cast<int>(std::floor(v)));
    }
    const double su = std::clamp(u - 0.5, 0.0, p.source[2] - 1.0);
    const double sv = std::clamp(v - 0.5, 0.0, p.source[3] - 1.0);
    const int bx = static_cast<int>(std::floor(su));
    const int by = static_cast<int>(std::floor(sv));
    const double fx = su - bx;
    const double fy = sv - by;
    const Rgba c[4] = {texelAt(texel, p, bx, by), texelAt(texel, p, bx + 1, by), texelAt(texel, p, bx, by + 1),
                       texelAt(texel, p, bx + 1, by + 1)};
    const auto mix = [](const Rgba& a, const Rgba& b, double f) {
        return Rgba{a.r + (b.r - a.r) * f, a.g + (b.g - a.g) * f, a.b + (b.b - a.b) * f, a.a + (b.a - a.a) * f};
    };
    return mix(mix(c[0], c[1], fx), mix(c[2], c[3], fx), fy);
}

double segmentDistance(double px, double py, double ax, double ay, double bx, double by) {
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length = dx * dx + dy * dy;
    const double t = length > 0 ? std::clamp(((px - ax) * dx + (py - ay) * dy) / length, 0.0, 1.0) : 0.0;
    return std::hypot(px - (ax + t * dx), py - (ay + t * dy));
}

}  // namespace

std::vector<uint8_t> referenceDraw(const DrawList& list, const TexelLookup& texel) {
    std::vector<uint8_t> rgba(static_cast<size_t>(list.width) * list.height * 4);
    const Rgba clear = premultiplied(list.clearColor);
    for (uint32_t y = 0; y < list.height; ++y) {
        for (uint32_t x = 0; x < list.width; ++x) {
            const double cx = x + 0.5;
            const double cy = y + 0.5;
            Rgba out = clear;
            // Back to front: the topmost primitive is first in the list.
            for (size_t i = list.size(); i-- > 0;) {
                const Primitive& p = list.primitives[i];
                if (!covers(p, cx, cy)) {
                    continue;
                }
                Rgba source = premultiplied(p.color);
                if (p.has(kFlagTextured)) {
                    double u = 0, v = 0;
                    sourceAt(p, cx, cy, u, v);
                    const Rgba t = sample(texel, p, u, v);
                    source = {t.r * source.r, t.g * source.g, t.b * source.b, t.a * source.a};
                }
                out = {source.r + (1 - source.a) * out.r, source.g + (1 - source.a) * out.g,
                       source.b + (1 - source.a) * out.b, source.a + (1 - source.a) * out.a};
            }
            uint8_t* pixel = rgba.data() + (static_cast<size_t>(y) * list.width + x) * 4;
            const double channels[4] = {out.r, out.g, out.b, 1.0};
            for (int c = 0; c < 4; ++c) {
                pixel[c] = static_cast<uint8_t>(std::lround(std::clamp(channels[c], 0.0, 1.0) * 255.0));
            }
        }
    }
    return rgba;
}

double edgeDistance(const DrawList& list, double x, double y) {
    double best = std::numeric_limits<double>::infinity();
    for (const Primitive& p : list.primitives) {
        if (p.kindNumber() == kPrimTriangle) {
            best = std::min({best, segmentDistance(x, y, p.p0[0], p.p0[1], p.p1[0], p.p1[1]),
                             segmentDistance(x, y, p.p1[0], p.p1[1], p.p2[0], p.p2[1]),
                             segmentDistance(x, y, p.p2[0], p.p2[1], p.p0[0], p.p0[1])});
            continue;
        }
        if (p.kindNumber() == kPrimDisc) {
            // Near the ellipse, its distance is how far the place across it is from 1 over how
            // fast that place grows.
            double u = 0, v = 0;
            sourceAt(p, x, y, u, v);
            const auto distance = [&](double sx, double sy) {
                const double a = (u - 1) / sx;
                const double b = (v - 1) / sy;
                const double along = std::hypot(a, b);
                const double gx = (a * p.inverse[0] / sx + b * p.inverse[2] / sy) / along;
                const double gy = (a * p.inverse[1] / sx + b * p.inverse[3] / sy) / along;
                return std::abs(along - 1.0) / std::hypot(gx, gy);
            };
            best = std::min(best, distance(1.0, 1.0));
            if (p.has(kFlagRing) && p.source[0] > 0.0f && p.source[1] > 0.0f) {
                best = std::min(best, distance(p.source[0], p.source[1]));
            }
            continue;
        }
        if (p.kindNumber() == kPrimRoundedBox) {
            // The distance to the rounded outline, in the box's pixels.
            double lx = 0, ly = 0, r = 0;
            roundedPlace(p, x, y, lx, ly, r);
            const auto distance = [](double px, double py, double w, double h, double radius) {
                const double qx = std::abs(px - w / 2) - (w / 2 - radius);
                const double qy = std::abs(py - h / 2) - (h / 2 - radius);
                return std::abs(std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) -
                                radius);
            };
            const double w = p.source[0];
            const double h = p.source[1];
            const double o = p.source[3];
            best = std::min(best, distance(lx, ly, w, h, r));
            if (o > 0) {
                best = std::min(best, distance(lx - o, ly - o, w - 2 * o, h - 2 * o, std::max(r - o, 0.0)));
            }
            continue;
        }
        float x3 = 0, y3 = 0;
        farCorner(p, x3, y3);
        best = std::min({best, segmentDistance(x, y, p.p0[0], p.p0[1], p.p1[0], p.p1[1]),
                         segmentDistance(x, y, p.p1[0], p.p1[1], x3, y3),
                         segmentDistance(x, y, x3, y3, p.p2[0], p.p2[1]),
                         segmentDistance(x, y, p.p2[0], p.p2[1], p.p0[0], p.p0[1])});
    }
    return best;
}

bool blendsAt(const DrawList& list, double x, double y) {
    return std::any_of(list.primitives.begin(), list.primitives.end(),
                       [&](const Primitive& p) { return (p.has(kFlagTextured) || p.color >> 24 != 0xFFu) && covers(p, x, y); });
}

}  // namespace orv
