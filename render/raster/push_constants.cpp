#include "render/raster/push_constants.hpp"

#include <cmath>

#include "engine/shape_geometry.hpp"

namespace orv {

float advanceRotation(float rotation) {
    constexpr float kTwoPi = 6.2831855f;
    const float r = rotation + 0.01f;
    return r - std::floor(r / kTwoPi) * kTwoPi;
}

PushConstantData makePushConstants(const GameObject& object, const Vertex& firstVertex,
                                   std::optional<double> circleRadius, VkExtent2D extent) {
    PushConstantData push{};
    const std::array<float, 4> transform = triangleTransform(object);
    for (size_t i = 0; i < 4; ++i) {
        push.transform[i] = transform[i];
    }
    push.offset[0] = object.offset[0];
    push.offset[1] = object.offset[1];
    push.color[0] = object.color[0];
    push.color[1] = object.color[1];
    push.color[2] = object.color[2];
    push.screenWidth = static_cast<float>(extent.width);
    push.screenHeight = static_cast<float>(extent.height);
    if (circleRadius) {
        // The circle's centre is its square's corner plus the radius, summed in double.
        push.radius = static_cast<float>(*circleRadius);
        push.centerX = static_cast<float>(static_cast<double>(firstVertex.position[0]) + *circleRadius);
        push.centerY = static_cast<float>(static_cast<double>(firstVertex.position[1]) + *circleRadius);
    } else {
        push.centerX = firstVertex.position[0];
        push.centerY = firstVertex.position[1];
    }
    return push;
}

PushConstantData makePushConstants(const GameObject& object, VkExtent2D extent) {
    switch (object.kind) {
        case ObjectKind::Circle: {
            const QuadCorners c = cornersOf(object);
            return makePushConstants(object, Vertex{{c.left, c.top}, {}}, object.radius(), extent);
        }
        case ObjectKind::Rectangle:
        case ObjectKind::Sprite:
        case ObjectKind::Text: {
            const QuadCorners c = cornersOf(object);
            return makePushConstants(object, Vertex{{c.left, c.top}, {}}, std::nullopt, extent);
        }
        case ObjectKind::Triangle:
            break;
    }
    return makePushConstants(object, triangleModelVertices(object.triangle)[0], std::nullopt, extent);
}

}  // namespace orv
