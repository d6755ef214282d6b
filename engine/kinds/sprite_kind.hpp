#pragma once
// A picture (or a part of one) from the texture atlas, its top-left corner at (x, y), drawn
// `width` by `height` pixels with its look (scale, flips, anchor, opacity, filtering); the
// object's colour is its tint.

#include <array>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "engine/sprite_look.hpp"
#include "render/atlas_packer.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct SpriteKind {
    static constexpr const char* kName = "sprite";
    static constexpr bool kMoves = true;

    // Where its texels are in the atlas; the parts of it that are fully opaque and not fully
    // transparent (from the picture's corner; width 0 for none).
    AtlasRect picture{};
    AtlasRect opaque{};
    AtlasRect visible{};
    // The drawn size before scaling.
    double width = 0.0;
    double height = 0.0;
    SpriteLook look{};

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    // Unturned and unscaled: its box, unless its texels are asked for; else as drawn.
    HitArea hitArea(const ObjectCore& core, bool texels) const;
    void resize(ObjectCore&, double w, double h) {
        width = w;
        height = h;
    }
    void setOutline(double) {}
    double outlineWidth() const { return 0.0; }
    std::array<double, 2> extent() const { return {width, height}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}

private:
    void lowerTransformed(const ObjectCore& core, float w, float h, uint32_t colour, DrawList& out) const;
};

}  // namespace orv
