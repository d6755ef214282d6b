#pragma once
// The one table of object kinds. Each kind is a type holding only its own data and
// answering the same operations:
//   lower(core, solid, out)   its primitives in world coordinates (solid: fully opaque, for
//                             its shape);
//   hitArea(core, texels)     what is hit, collided and picked: the inclusive box or disc the
//                             specified kinds keep, or the pieces it is lowered into;
//   extent(), resize(core, a, b), setOutline(width), and advances()/advance(core, dt), which the
//                             frame step runs before each frame it draws;
//   kMoves                    whether moveTo places it (the engine's triangles stay).
// The scene, lowering, picking, collisions and the bindings reach a kind only through the
// functions below; adding a kind is its module and one entry in KindData.

#include <array>
#include <variant>

#include "engine/kinds/disc_kind.hpp"
#include "engine/kinds/ellipse_kind.hpp"
#include "engine/kinds/line_kind.hpp"
#include "engine/kinds/polygon_kind.hpp"
#include "engine/kinds/rectangle_kind.hpp"
#include "engine/kinds/sprite_kind.hpp"
#include "engine/kinds/text_kind.hpp"
#include "engine/kinds/triangle_kind.hpp"
#include "engine/object_core.hpp"

namespace orv {

using KindData = std::variant<TriangleKind, RectangleKind, DiscKind, LineKind, PolygonKind, SpriteKind, TextKind,
                              EllipseKind>;

// One object of the scene: what every kind has, and its kind's own data.
struct GameObject : ObjectCore {
    KindData kind;
};

// The object's kind data as K, or null when it is of another kind.
template <typename K>
K* as(GameObject& object) {
    return std::get_if<K>(&object.kind);
}
template <typename K>
const K* as(const GameObject& object) {
    return std::get_if<K>(&object.kind);
}

// The kind's name, for messages ("rectangle", "sprite").
const char* kindName(const GameObject& object);
// Appends the object's primitives in world coordinates; a hidden or fully transparent object
// has none, unless `solid` asks for its shape (its colour then plays no part).
void lowerObject(const GameObject& object, bool solid, DrawList& out);
// What the object's hit test, collisions and picking test (with `texels`, pictures by their
// lowered quads, to be read through the atlas's alpha).
HitArea hitAreaOf(const GameObject& object, bool texels = false);
// The box the object's anchor points are taken on, before any turn: a rectangle's or
// picture's size, a circle's or ellipse's diameters, a line's run; (0, 0) for others.
std::array<double, 2> extentOf(const GameObject& object);
// Whether moveTo places the object: a look-up, as moves come by the hundred thousand.
template <typename... Kinds>
constexpr std::array<bool, sizeof...(Kinds)> movesByIndex(const std::variant<Kinds...>*) {
    return {Kinds::kMoves...};
}
inline bool movable(const GameObject& object) {
    static constexpr auto kMoves = movesByIndex(static_cast<const KindData*>(nullptr));
    return kMoves[object.kind.index()];
}
// A rectangle's or sprite's extents, a circle's radius, an ellipse's radii, a line's run;
// other kinds keep theirs.
void resizeObject(GameObject& object, double a, double b);
// An outline's width, or a line's width (0 for kinds with neither).
void setOutlineOf(GameObject& object, double width);
double outlineOf(const GameObject& object);
// Whether the frame step advances the object, and advancing it by `seconds`.
bool advances(const GameObject& object);
void advanceObject(GameObject& object, double seconds);

}  // namespace orv
