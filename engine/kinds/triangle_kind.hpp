#pragma once
// The engine's two fixed triangles, given in clip space (-1 to 1): the demo's, which spins a
// step with every frame drawn, and the full-size one. They neither move nor are hit.

#include <array>
#include <cstdint>

#include "engine/object_core.hpp"
#include "engine/shape_geometry.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct GameObject;

struct TriangleKind {
    static constexpr const char* kName = "triangle";
    static constexpr bool kMoves = false;

    enum class Model : std::uint8_t { Demo, Full };
    Model model = Model::Demo;
    std::array<float, 2> offset{0.2f, 0.0f};
    std::array<float, 2> scale{2.0f, 0.5f};
    float rotation = 1.5707964f;  // pi / 2
    // Whether it spins with every frame (the demo's does).
    bool spins = false;

    static TriangleKind demo();
    static TriangleKind full();

    void lower(const ObjectCore& core, bool solid, DrawList& out) const;
    HitArea hitArea(const ObjectCore&, bool) const { return {}; }
    void resize(ObjectCore&, double, double) {}
    void setOutline(double) {}
    double outlineWidth() const { return 0.0; }
    std::array<double, 2> extent() const { return {0.0, 0.0}; }
    bool advances() const { return spins; }
    void advance(ObjectCore&, double) { rotation = advanceRotation(rotation); }

    // The corners of the two models, in clip space.
    static const std::array<std::array<float, 2>, 3>& corners(Model model);
    // One frame's rotation step in float arithmetic, reduced into [0, 2pi).
    static float advanceRotation(float rotation);
    // The rotation matrix times the scale, column by column.
    std::array<float, 4> transform() const;
    // The corners in window pixels for a frame of `width` by `height`, placed as the vertex
    // stage places them.
    std::array<std::array<float, 2>, 3> pixels(float width, float height) const;
};

// The demo's spinning triangle and the full-size one, in their colours.
GameObject makeDemoTriangle();
GameObject makeFullTriangle();

}  // namespace orv
