#pragma once
// Objects for scenes built by hand in the unit tests.

#include <cstdint>

#include "engine/scene.hpp"

namespace orv {

inline GameObject placed(KindData kind, double x, double y, uint32_t rgba = 0xFF0080FFu) {
    GameObject o;
    o.x = x;
    o.y = y;
    o.colour = rgba;
    o.kind = std::move(kind);
    return o;
}

inline GameObject rectObject(double x, double y, double w, double h, uint32_t rgba = 0xFF0080FFu) {
    return placed(RectangleKind{w, h}, x, y, rgba);
}

inline GameObject discObject(double x, double y, double r, uint32_t rgba = 0xFF0080FFu) {
    return placed(DiscKind{r}, x, y, rgba);
}

inline GameObject spriteObject(double x, double y, double w, double h, AtlasRect picture, AtlasRect opaque = {}) {
    SpriteKind s;
    s.width = w;
    s.height = h;
    s.picture = picture;
    s.opaque = opaque;
    return placed(s, x, y, 0xFFFFFFFFu);
}

inline SpriteKind& spriteOf(GameObject& o) {
    return *as<SpriteKind>(o);
}

}  // namespace orv
