#include "engine/camera_transform.hpp"

#include <cmath>

#include "render/coverage.hpp"

namespace orv {

namespace {

void place(const CameraTransform& t, float (&point)[2]) {
    const double x = point[0];
    const double y = point[1];
    point[0] = static_cast<float>(t.zoom * (t.c * x - t.s * y) + t.tx);
    point[1] = static_cast<float>(t.zoom * (t.s * x + t.c * y) + t.ty);
}

// A disc stays an axis-aligned box around its centre: a turned circle is the same circle.
void placeDisc(const CameraTransform& t, Primitive& p) {
    float centre[2] = {0.5f * (p.p0[0] + p.p1[0]), 0.5f * (p.p0[1] + p.p2[1])};
    const double halfX = 0.5 * t.zoom * (static_cast<double>(p.p1[0]) - p.p0[0]);
    const double halfY = 0.5 * t.zoom * (static_cast<double>(p.p2[1]) - p.p0[1]);
    place(t, centre);
    const float left = static_cast<float>(centre[0] - halfX);
    const float top = static_cast<float>(centre[1] - halfY);
    p.p0[0] = left;
    p.p0[1] = top;
    p.p1[0] = static_cast<float>(centre[0] + halfX);
    p.p1[1] = top;
    p.p2[0] = left;
    p.p2[1] = static_cast<float>(centre[1] + halfY);
    p.inverse[0] = 2.0f / (p.p1[0] - p.p0[0]);
    p.inverse[3] = 2.0f / (p.p2[1] - p.p0[1]);
}

// A pixel's offset d maps into the source by M d before the camera, so by M L^-1 d after it.
void placeInverse(const CameraTransform& t, Primitive& p) {
    const double m[4] = {p.inverse[0], p.inverse[1], p.inverse[2], p.inverse[3]};
    // L^-1 = [c s; -s c] / zoom
    p.inverse[0] = static_cast<float>((m[0] * t.c - m[1] * t.s) / t.zoom);
    p.inverse[1] = static_cast<float>((m[0] * t.s + m[1] * t.c) / t.zoom);
    p.inverse[2] = static_cast<float>((m[2] * t.c - m[3] * t.s) / t.zoom);
    p.inverse[3] = static_cast<float>((m[2] * t.s + m[3] * t.c) / t.zoom);
}

PixelBox placeBox(const CameraTransform& t, const PixelBox& box) {
    if (!t.quarterTurn || !(box.left <= box.right) || !(box.top <= box.bottom)) {
        return PixelBox{};
    }
    float a[2] = {box.left, box.top};
    float b[2] = {box.right, box.bottom};
    place(t, a);
    place(t, b);
    return PixelBox{std::fmin(a[0], b[0]), std::fmin(a[1], b[1]), std::fmax(a[0], b[0]), std::fmax(a[1], b[1])};
}

// A disc's hint (inside it) scales with it about its corner, whatever the turn.
PixelBox placeDiscBox(const Primitive& before, const Primitive& after, double zoom, const PixelBox& box) {
    if (!(box.left <= box.right) || !(box.top <= box.bottom)) {
        return PixelBox{};
    }
    const auto along = [&](float at, int axis) {
        return static_cast<float>(after.p0[axis] + (static_cast<double>(at) - before.p0[axis]) * zoom);
    };
    return PixelBox{along(box.left, 0), along(box.top, 1), along(box.right, 0), along(box.bottom, 1)};
}

// Whether any of the primitive may show in the frame: false for corners that overflowed, and
// for a primitive zoomed down to nothing (a triangle without area, as lowering drops them; a
// quad or disc whose place in its source is no longer finite).
bool reachesFrame(const Primitive& p, float width, float height) {
    if (p.kindNumber() == kPrimTriangle) {
        const float area = (p.p1[0] - p.p0[0]) * (p.p2[1] - p.p0[1]) - (p.p1[1] - p.p0[1]) * (p.p2[0] - p.p0[0]);
        if (!(area != 0.0f) || !std::isfinite(area)) {
            return false;
        }
    }
    const PixelBox box = boundsOf(p);
    return box.right >= 0.0f && box.bottom >= 0.0f && box.left <= width && box.top <= height &&
           std::isfinite(box.right - box.left) && std::isfinite(box.bottom - box.top) &&
           std::isfinite(p.inverse[0] + p.inverse[1] + p.inverse[2] + p.inverse[3]);
}

}  // namespace

CameraTransform transformOf(const Camera& camera) {
    CameraTransform t;
    camera.turn(t.c, t.s);
    t.zoom = camera.zoom;
    // The anchor shows the world point (x, y).
    t.tx = camera.anchorX - camera.zoom * (t.c * camera.x - t.s * camera.y);
    t.ty = camera.anchorY - camera.zoom * (t.s * camera.x + t.c * camera.y);
    t.upright = t.c == 1.0;
    t.quarterTurn = t.c == 0.0 || t.s == 0.0;
    t.wholePixels = t.upright && t.zoom == 1.0 && t.tx == std::floor(t.tx) && t.ty == std::floor(t.ty);
    return t;
}

void applyCamera(const CameraTransform& camera, DrawList& list, size_t first) {
    const float width = static_cast<float>(list.width);
    const float height = static_cast<float>(list.height);
    size_t kept = first;
    for (size_t i = first; i < list.size(); ++i) {
        Primitive p = list.primitives[i];
        // An upright circle stays an upright box about its centre whatever the turn; a turned
        // or unequal ellipse turns with the camera as a quad does.
        const bool uprightDisc = p.kindNumber() == kPrimDisc && p.has(kFlagAxisAligned) &&
                                 (camera.upright || p.p1[0] - p.p0[0] == p.p2[1] - p.p0[1]);
        if (uprightDisc) {
            placeDisc(camera, p);
        } else {
            place(camera, p.p0);
            place(camera, p.p1);
            place(camera, p.p2);
            placeInverse(camera, p);
            if (p.kindNumber() == kPrimRoundedBox) {
                // Its sides, corners and outline are in pixels, which the zoom scales.
                for (float& v : p.source) {
                    v = static_cast<float>(v * camera.zoom);
                }
            }
            if (!camera.upright) {
                p.kind &= ~kFlagAxisAligned;
            }
        }
        if (!camera.wholePixels) {
            p.kind &= ~kFlagOneTexelAPixel;
        }
        if (!reachesFrame(p, width, height)) {
            continue;
        }
        const Primitive& before = list.primitives[i];
        const PixelBox& hint = list.opaque[i];
        const bool hinted = hint.left <= hint.right && hint.top <= hint.bottom;
        list.opaque[kept] = uprightDisc                           ? placeDiscBox(before, p, camera.zoom, hint)
                            : p.kindNumber() == kPrimDisc && hinted ? insideOfEllipse(p)
                                                                    : placeBox(camera, hint);
        list.shown[kept] = placeBox(camera, list.shown[i]);
        list.primitives[kept] = p;
        ++kept;
    }
    list.primitives.resize(kept);
    list.opaque.resize(kept);
    list.shown.resize(kept);
}

}  // namespace orv
