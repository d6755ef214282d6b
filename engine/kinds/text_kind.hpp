#pragma once
// Text laid out once into glyph quads of the atlas, its top-left corner at (x, y), tinted by
// its colour; laid out again when its text or size changes.

#include <array>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"
#include "render/text_layout.hpp"

namespace orv {

struct TextKind {
    static constexpr const char* kName = "text";
    static constexpr bool kMoves = true;

    TextLayout layout;

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    // Unturned: the box of its layout, unless its texels are asked for; else as drawn.
    HitArea hitArea(const ObjectCore& core, bool texels) const;
    // A text's size follows its text.
    void resize(ObjectCore&, double, double) {}
    void setOutline(double) {}
    double outlineWidth() const { return 0.0; }
    std::array<double, 2> extent() const { return {layout.width, layout.height}; }
    bool advances() const { return false; }
    void advance(ObjectCore&, double) {}
};

}  // namespace orv
