#include "engine/lowering.hpp"

#include <algorithm>
#include <cmath>

#include "engine/camera_transform.hpp"
#include "engine/exact_turn.hpp"
#include "engine/shape_geometry.hpp"
#include "engine/shape_lowering.hpp"
#include "render/coverage.hpp"

namespace orv {

namespace {

// The object's colour and alpha packed for the draw list.
uint32_t colourOf(const GameObject& object) {
    return (packColor(object.color) & 0x00FFFFFFu) | static_cast<uint32_t>(object.alpha) << 24;
}

bool finite(float a, float b, float c, float d) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d);
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

void lowerTriangle(const GameObject& object, DrawList& out) {
    const auto v = trianglePixels(object, static_cast<float>(out.width), static_cast<float>(out.height));
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
    p.color = colourOf(object);
    p.kind = kPrimTriangle;
}

void lowerRectangle(const GameObject& object, DrawList& out) {
    if (object.angle != 0.0 || object.stroke > 0.0) {
        lowerTurnedRectangle(object, colourOf(object), out);
        return;
    }
    const QuadCorners c = cornersOf(object);
    if (!finite(c.left, c.top, c.right, c.bottom)) {
        return;
    }
    const Primitive& p = boxQuad(out, kPrimQuad, c.left, c.top, c.right, c.bottom, colourOf(object));
    // Its pixels are exactly those of its box (and hide what is below only if it is opaque).
    if (object.alpha == 255) {
        out.opaque.back() = boundsOf(p);
    }
}

void lowerCircle(const GameObject& object, DrawList& out) {
    const QuadCorners c = cornersOf(object);
    // No point is inside a circle of negative (or NaN) radius.
    if (!(object.radius() > 0.0) || !finite(c.left, c.top, c.right, c.bottom)) {
        return;
    }
    Primitive& p = boxQuad(out, kPrimDisc, c.left, c.top, c.right, c.bottom, colourOf(object));
    // Where the pixel lies in the square, -1 to 1 across, less 1.
    p.inverse[0] = 2.0f / (c.right - c.left);
    p.inverse[3] = 2.0f / (c.bottom - c.top);
    // An outline thinner than the radius is a ring, which hides nothing inside it.
    if (object.stroke > 0.0 && object.stroke < object.radius()) {
        p.kind |= kFlagRing;
        // The hole's size as a part of the disc's, the same on both axes.
        p.source[0] = p.source[1] = static_cast<float>((object.radius() - object.stroke) / object.radius());
        return;
    }
    if (object.alpha == 255) {
        out.opaque.back() = insideOfDisc(boundsOf(p));
    }
}

// The opaque part of a picture drawn mirrored along an axis, mirrored with it.
AtlasRect mirrored(AtlasRect opaque, const AtlasRect& picture, bool acrossX, bool acrossY) {
    if (opaque.width != 0 && acrossX) {
        opaque.x = picture.width - opaque.x - opaque.width;
    }
    if (opaque.height != 0 && acrossY) {
        opaque.y = picture.height - opaque.y - opaque.height;
    }
    return opaque;
}

// A sprite turned, scaled or flipped about its anchor: box point q lands at
// anchor + turn(flipScale(q - anchorOffset)); the quad is the image of the box.
void lowerTransformedSprite(const GameObject& object, float w, float h, uint32_t colour, DrawList& out) {
    const SpriteLook& look = object.look;
    const AtlasRect& r = object.picture;
    double c = 1.0;
    double s = 0.0;
    exactTurn(object.angle, c, s);
    const double fx = look.scaleX * (look.flipX ? -1.0 : 1.0);
    const double fy = look.scaleY * (look.flipY ? -1.0 : 1.0);
    if (!(fx != 0.0) || !(fy != 0.0) || !std::isfinite(fx) || !std::isfinite(fy)) {
        return;
    }
    const double ax = look.anchorOffsetX(w);
    const double ay = look.anchorOffsetY(h);
    const double px = object.x + ax;
    const double py = object.y + ay;
    const auto place = [&](double qx, double qy, float (&at)[2]) {
        const double dx = (qx - ax) * fx;
        const double dy = (qy - ay) * fy;
        at[0] = static_cast<float>(px + c * dx - s * dy);
        at[1] = static_cast<float>(py + s * dx + c * dy);
    };
    Primitive p{};
    place(0.0, 0.0, p.p0);
    place(w, 0.0, p.p1);
    place(0.0, h, p.p2);
    const float sourceW = static_cast<float>(r.width) / w;
    const float sourceH = static_cast<float>(r.height) / h;
    p.inverse[0] = static_cast<float>(c / fx) * sourceW;
    p.inverse[1] = static_cast<float>(s / fx) * sourceW;
    p.inverse[2] = static_cast<float>(-s / fy) * sourceH;
    p.inverse[3] = static_cast<float>(c / fy) * sourceH;
    if (!finite(p.p0[0], p.p0[1], p.p1[0], p.p1[1]) || !finite(p.p2[0], p.p2[1], p.inverse[0], p.inverse[3])) {
        return;
    }
    p.source[0] = static_cast<float>(r.x);
    p.source[1] = static_cast<float>(r.y);
    p.source[2] = static_cast<float>(r.width);
    p.source[3] = static_cast<float>(r.height);
    p.color = colour;
    p.kind = kPrimQuad | kFlagTextured | (look.smooth ? 0u : kFlagNearest);
    PixelBox opaque{};
    if (s == 0.0) {
        // Half turns and flips keep the sides along x and y; at one texel a pixel the picture
        // lands on whole pixels as an unturned one does.
        p.kind |= kFlagAxisAligned;
        const bool ownSize = std::fabs(fx) == 1.0 && std::fabs(fy) == 1.0 && w == static_cast<float>(r.width) &&
                             h == static_cast<float>(r.height);
        if (ownSize) {
            p.kind |= kFlagOneTexelAPixel;
            const float left = std::min(p.p0[0], p.p1[0]);
            const float top = std::min(p.p0[1], p.p2[1]);
            const float shiftX = pictureCorner(left, true) - left;
            const float shiftY = pictureCorner(top, true) - top;
            for (float* corner : {p.p0, p.p1, p.p2}) {
                corner[0] += shiftX;
                corner[1] += shiftY;
            }
        }
        if (colour >> 24 == 0xFFu) {
            opaque = opaquePartOfPicture(boundsOf(p), r.width, r.height, std::fabs(p.inverse[0]),
                                         std::fabs(p.inverse[3]),
                                         mirrored(object.opaque, r, p.inverse[0] < 0.0f, p.inverse[3] < 0.0f));
        }
    }
    out.add() = p;
    out.opaque.back() = opaque;
}

void lowerSprite(const GameObject& object, DrawList& out) {
    const float w = static_cast<float>(object.sizeX);
    const float h = static_cast<float>(object.sizeY);
    if (!(w > 0.0f) || !(h > 0.0f) || !std::isfinite(w) || !std::isfinite(h)) {
        return;
    }
    const SpriteLook& look = object.look;
    const uint32_t colour = look.colour();
    if (colour >> 24 == 0) {
        return;
    }
    if (!look.unscaled() || std::fmod(object.angle, 360.0) != 0.0) {
        lowerTransformedSprite(object, w, h, colour, out);
        return;
    }
    const AtlasRect& r = object.picture;
    const bool ownSize = w == static_cast<float>(r.width) && h == static_cast<float>(r.height);
    const float x = pictureCorner(static_cast<float>(object.x), ownSize);
    const float y = pictureCorner(static_cast<float>(object.y), ownSize);
    if (!finite(x, y, x + w, y + h)) {
        return;
    }
    Primitive& p = pictureQuad(out, x, y, w, h, r, colour, ownSize);
    if (!look.smooth) {
        p.kind |= kFlagNearest;
    }
    if (colour >> 24 == 0xFFu) {
        out.opaque.back() =
            opaquePartOfPicture(boundsOf(p), r.width, r.height, p.inverse[0], p.inverse[3], object.opaque);
    }
    const AtlasRect& v = object.visible;
    if (ownSize && v.width != 0) {
        // Texel for pixel: the transparent margins paint nothing.
        out.shown.back() = PixelBox{x + static_cast<float>(v.x), y + static_cast<float>(v.y),
                                    x + static_cast<float>(v.x + v.width), y + static_cast<float>(v.y + v.height)};
    }
}

void lowerText(const GameObject& object, const TextLayout* layout, DrawList& out) {
    if (layout == nullptr) {
        return;
    }
    const uint32_t tint = colourOf(object);
    for (const GlyphQuad& glyph : layout->glyphs) {
        const float x = pictureCorner(static_cast<float>(object.x) + glyph.x, true);
        const float y = pictureCorner(static_cast<float>(object.y) + glyph.y, true);
        const float w = static_cast<float>(glyph.rect.width);
        const float h = static_cast<float>(glyph.rect.height);
        if (w > 0.0f && h > 0.0f && finite(x, y, x + w, y + h)) {
            pictureQuad(out, x, y, w, h, glyph.rect, tint, true);
        }
    }
}

}  // namespace

float pictureCorner(float at, bool ownSize) {
    return ownSize ? std::floor(at + 0.5f) : at;
}

void lowerObject(const Scene& scene, const GameObject& object, DrawList& out) {
    // Fully transparent: nothing to draw (a sprite has no colour of its own).
    if (object.alpha == 0 && object.kind != ObjectKind::Sprite) {
        return;
    }
    switch (object.kind) {
        case ObjectKind::Triangle:
            lowerTriangle(object, out);
            break;
        case ObjectKind::Rectangle:
            lowerRectangle(object, out);
            break;
        case ObjectKind::Circle:
            lowerCircle(object, out);
            break;
        case ObjectKind::Sprite:
            lowerSprite(object, out);
            break;
        case ObjectKind::Text:
            lowerText(object, scene.text(object.id), out);
            break;
        case ObjectKind::Line:
            lowerLine(object, colourOf(object), out);
            break;
        case ObjectKind::Polygon:
            lowerPolygon(object, scene.polygon(object.id), colourOf(object), out);
            break;
    }
}

void lowerScene(Scene& scene, uint32_t width, uint32_t height, DrawList& out) {
    out.begin(width, height, scene.background | 0xFF000000u);
    // The default camera leaves the list as it was, bit for bit.
    const bool moved = !scene.view.camera.isDefault();
    const CameraTransform camera = transformOf(scene.view.camera);
    for (uint32_t slot : scene.drawOrder()) {
        const size_t first = out.size();
        const GameObject& object = scene.at(slot);
        lowerObject(scene, object, out);
        if (moved && !scene.view.isFixed(object.layer)) {
            applyCamera(camera, out, first);
        }
    }
}

}  // namespace orv
