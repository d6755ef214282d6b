#include "engine/kinds/text_kind.hpp"

#include <cmath>

#include "engine/shape_lowering.hpp"

namespace orv {

HitArea TextKind::hitArea(const ObjectCore& core, bool texels) const {
    if (texels || std::fmod(core.angle, 360.0) != 0.0) {
        return HitArea{HitArea::Shape::Pieces, {}, 0.0};
    }
    return HitArea{HitArea::Shape::Box, rectangleCorners(core.x, core.y, layout.width, layout.height), 0.0};
}

void TextKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    const uint32_t tint = solid ? core.colour | 0xFF000000u : core.colour;
    for (const GlyphQuad& glyph : layout.glyphs) {
        const float x = pictureCorner(static_cast<float>(core.x) + glyph.x, true);
        const float y = pictureCorner(static_cast<float>(core.y) + glyph.y, true);
        const float w = static_cast<float>(glyph.rect.width);
        const float h = static_cast<float>(glyph.rect.height);
        if (w > 0.0f && h > 0.0f && finite(x, y, x + w, y + h)) {
            pictureQuad(out, x, y, w, h, glyph.rect, tint, true);
        }
    }
}

}  // namespace orv
