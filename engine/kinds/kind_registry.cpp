#include "engine/kinds/kind_registry.hpp"

namespace orv {

const char* kindName(const GameObject& object) {
    return std::visit([](const auto& k) { return std::decay_t<decltype(k)>::kName; }, object.kind);
}

void lowerObject(const GameObject& object, bool solid, DrawList& out) {
    // Hidden or fully transparent: nothing to draw (a sprite's colour is its tint).
    if (!solid && (!object.visible || object.colour >> 24 == 0)) {
        return;
    }
    std::visit([&](const auto& k) { k.lower(object, solid, out); }, object.kind);
}

HitArea hitAreaOf(const GameObject& object, bool texels) {
    return std::visit([&](const auto& k) { return k.hitArea(object, texels); }, object.kind);
}

std::array<double, 2> extentOf(const GameObject& object) {
    return std::visit([](const auto& k) { return k.extent(); }, object.kind);
}

void resizeObject(GameObject& object, double a, double b) {
    std::visit([&](auto& k) { k.resize(object, a, b); }, object.kind);
}

void setOutlineOf(GameObject& object, double width) {
    std::visit([&](auto& k) { k.setOutline(width); }, object.kind);
}

double outlineOf(const GameObject& object) {
    return std::visit([](const auto& k) { return k.outlineWidth(); }, object.kind);
}

bool advances(const GameObject& object) {
    return std::visit([](const auto& k) { return k.advances(); }, object.kind);
}

void advanceObject(GameObject& object, double seconds) {
    std::visit([&](auto& k) { k.advance(object, seconds); }, object.kind);
}

}  // namespace orv
