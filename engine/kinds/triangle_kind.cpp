#include "engine/kinds/triangle_kind.hpp"

#include <cmath>

#include "engine/kinds/kind_registry.hpp"
#include "engine/shape_lowering.hpp"

namespace orv {

TriangleKind TriangleKind::demo() {
    TriangleKind t;
    t.spins = true;
    return t;
}

TriangleKind TriangleKind::full() {
    TriangleKind t;
    t.model = Model::Full;
    return t;
}

const std::array<std::array<float, 2>, 3>& TriangleKind::corners(Model model) {
    static const std::array<std::array<float, 2>, 3> demo{{{0.0f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}}};
    static const std::array<std::array<float, 2>, 3> full{{{0.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}}};
    return model == Model::Demo ? demo : full;
}

float TriangleKind::advanceRotation(float rotation) {
    constexpr float kTwoPi = 6.2831855f;
    const float r = rotation + 0.01f;
    return r - std::floor(r / kTwoPi) * kTwoPi;
}

std::array<float, 4> TriangleKind::transform() const {
    const float c = std::cos(rotation);
    const float s = std::sin(rotation);
    return {scale[0] * c, scale[0] * s, -scale[1] * s, scale[1] * c};
}

std::array<std::array<float, 2>, 3> TriangleKind::pixels(float width, float height) const {
    const std::array<float, 4> t = transform();
    const auto& model3 = corners(model);
    std::array<std::array<float, 2>, 3> out{};
    for (size_t i = 0; i < 3; ++i) {
        const float px = model3[i][0];
        const float py = model3[i][1];
        const float clipX = t[0] * px + t[2] * py + offset[0];
        const float clipY = t[1] * px + t[3] * py + offset[1];
        // The viewport maps -1..1 onto the whole frame.
        out[i] = {clipX * (0.5f * width) + 0.5f * width, clipY * (0.5f * height) + 0.5f * height};
    }
    return out;
}

void TriangleKind::lower(const ObjectCore& core, bool solid, DrawList& out) const {
    const auto v = pixels(static_cast<float>(out.width), static_cast<float>(out.height));
    solidTriangle(out, Point2D{v[0][0], v[0][1]}, Point2D{v[1][0], v[1][1]}, Point2D{v[2][0], v[2][1]},
                  solid ? core.colour | 0xFF000000u : core.colour);
}

GameObject makeDemoTriangle() {
    GameObject object;
    object.colour = packColor({0.1f, 0.8f, 0.1f});
    object.kind = TriangleKind::demo();
    return object;
}

GameObject makeFullTriangle() {
    GameObject object;
    object.colour = packColor({0.9f, 0.8f, 0.1f});
    object.kind = TriangleKind::full();
    return object;
}

}  // namespace orv
