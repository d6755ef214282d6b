#pragma once
// One object of the scene: the record both renderers read. What it is and where, its colour,
// its layer and identifier; nothing in it is encoded for a particular renderer.

#include <array>
#include <cstdint>

#include "render/atlas_packer.hpp"
#include "render/color.hpp"
#include "engine/sprite_look.hpp"

namespace orv {

// Pictures (sprites) and text are drawn from the texture atlas, blended over what is below.
// A line runs from (x, y) by (sizeX, sizeY); a polygon's points (kept by the scene) are
// offset by (x, y).
enum class ObjectKind : std::uint8_t { Triangle, Rectangle, Circle, Sprite, Text, Line, Polygon };

// The engine's two fixed triangles, given in clip space (-1 to 1).
enum class TriangleModel : std::uint8_t { Demo, Full };

struct GameObject {
    std::uint32_t id = 0;
    ObjectKind kind = ObjectKind::Rectangle;
    TriangleModel triangle = TriangleModel::Demo;
    // Higher layers are drawn above lower ones; within a layer the first created is on top.
    std::int32_t layer = 0;
    // A rectangle's (or a sprite's, or a text's) top-left corner and its extents along x and
    // y; a circle's centre, with its radius in sizeX. Window pixels, y down.
    double x = 0.0;
    double y = 0.0;
    double sizeX = 0.0;
    double sizeY = 0.0;
    Color color{};
    // The colour's: 255 opaque, 0 not drawn at all; between, blended over what is below.
    std::uint8_t alpha = 255;
    // What a triangle's vertices are placed by, its rotation advanced with every recorded frame.
    std::array<float, 2> offset{0.2f, 0.0f};
    std::array<float, 2> scale{2.0f, 0.5f};
    float rotation = 1.5707964f;  // pi / 2
    // How far the object is turned, in degrees, clockwise as seen (y runs down).
    double angle = 0.0;
    // A sprite's picture: where its texels are in the texture atlas, and the part of it that
    // is fully opaque (from the picture's corner; width 0 for none).
    AtlasRect picture{};
    AtlasRect opaque{};
    // The part of the picture that is not fully transparent, as `opaque` (width 0 for none).
    AtlasRect visible{};
    // An outline's width in pixels, drawn inside the shape's edge (0: filled); a line's width.
    double stroke = 0.0;
    // A sprite's scale, flips, anchor, tint, opacity and filtering.
    SpriteLook look{};
    // Hidden objects keep their place in the scene but are neither drawn nor found by
    // objectAt, objectsIn, overlapping or collides.
    bool hidden = false;

    double radius() const { return sizeX; }
};

// Process-wide: 0 at load, never reset, so identifiers stay unique across engines. Wider
// than an identifier, so having given out the last one (4294967295) shows.
extern std::uint64_t nextObjectId;

// The identifier the next object takes; once all 2^32 have been given out, a
// std::runtime_error, as an identifier is never given out twice.
std::uint32_t upcomingObjectId();

}  // namespace orv
