#include "engine/push_constants.hpp"

#include <cmath>

#include "engine/shape_models.hpp"

namespace orv {

float advanceRotation(float rotation) {
    constexpr float kTwoPi = 6.2831855f;
    const float r = rotation + 0.01f;
    return r - std::floor(r / kTwoPi) * kTwoPi;
}

PushConstantData makePushConstants(const GameObject& object, const Vertex& firstVertex,
                                   std::optional<double> circleRadius, VkExtent2D extent) {
    PushConstantData push{};
    const float c = std::cos(object.rotation);
    const float s = std::sin(object.rotation);
    push.transform[0] = object.scale[0] * c;
    push.transform[1] = object.scale[0] * s;
    push.transform[2] = -object.scale[1] * s;
    push.transform[3] = object.scale[1] * c;
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
    std::optional<double> radius;
    if (const auto* circle = dynamic_cast<const Circle*>(object.model.get())) {
        radius = circle->getRadius();
    }
    return makePushConstants(object, object.model->getVertices()[0], radius, extent);
}

}  // namespace orv
