#include "engine/kinds/sprite_kind.hpp"

#include <algorithm>
#include <cmath>

#include "engine/shape_lowering.hpp"
#include "render/coverage.hpp"

namespace orv {

namespace {

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

}  // namespace

HitArea SpriteKind::hitArea(const ObjectCore& core, bool texels) const {
    // A scaled or flipped picture is drawn away from its box.
    if (texels || std::fmod(core.angle, 360.0) != 0.0 || !look.unscaled()) {
        return HitArea{HitArea::Shape::Pieces, {}, 0.0};
    }
    return HitArea{HitArea::Shape::Box, rectangleCorners(core.x, core.y, width, height), 0.0};
}

// A sprite turned, scaled or flipped about its anchor: box point q lands at
// anchor + turn(flipScale(q - anchorOffset)); the quad is the image of the box.
void SpriteKind::lowerTransformed(const ObjectCore& object, float w, float h, uint32_t colour, DrawList& out) const {
        const AtlasRect& r = picture;
    double c = 1.0;
    double s = 0.0;
    const Turn turn = turnOf(object.angle);
    c = turn.c;
    s = turn.s;
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
    PixelBox opaqueBox{};
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
            opaqueBox = opaquePartOfPicture(boundsOf(p), r.width, r.height, std::fabs(p.inverse[0]),
                                         std::fabs(p.inverse[3]),
                                         mirrored(opaque, r, p.inverse[0] < 0.0f, p.inverse[3] < 0.0f));
        }
    }
    out.add() = p;
    out.opaque.back() = opaqueBox;
}

void SpriteKind::lower(const ObjectCore& object, bool solid, DrawList& out) const {
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    if (!(w > 0.0f) || !(h > 0.0f) || !std::isfinite(w) || !std::isfinite(h)) {
        return;
    }
    // A faded sprite keeps its shape, as a transparent shape does.
    const uint32_t colour = solid ? object.colour | 0xFF000000u : look.colour(object.colour);
    if (colour >> 24 == 0) {
        return;
    }
    if (!look.unscaled() || std::fmod(object.angle, 360.0) != 0.0) {
        lowerTransformed(object, w, h, colour, out);
        return;
    }
    const AtlasRect& r = picture;
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
            opaquePartOfPicture(boundsOf(p), r.width, r.height, p.inverse[0], p.inverse[3], opaque);
    }
    const AtlasRect& v = visible;
    if (ownSize && v.width != 0) {
        // Texel for pixel: the transparent margins paint nothing.
        out.shown.back() = PixelBox{x + static_cast<float>(v.x), y + static_cast<float>(v.y),
                                    x + static_cast<float>(v.x + v.width), y + static_cast<float>(v.y + v.height)};
    }
}

}  // namespace orv
