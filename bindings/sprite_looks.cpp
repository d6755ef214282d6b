#include "bindings/sprite_looks.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "bindings/anchor_argument.hpp"
#include "bindings/colour_argument.hpp"
#include "bindings/handle_protocol.hpp"
#include "bindings/module_state.hpp"
#include "bindings/picture_handles.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// A property read from the record and written by an edit of it; both raise once the sprite
// is removed. `Value` is converted before the engine is taken.
template <typename Value, typename Get, typename Set>
void property(py::class_<Sprite>& sprite, const char* name, Get get, Set set, const char* doc) {
    sprite.def_property(
        name,
        [get](const Sprite& s) {
            const orv::GameObject& o = liveObject(s);
            return get(o, *orv::as<orv::SpriteKind>(o));
        },
        // Named, so a wrong type is reported as "angle(): ... (self: qel.Sprite, value: float)".
        py::cpp_function(
            [set](const Sprite& s, const Value& value) {
                const auto edit = set(value);
                liveEngine(s).pictures().editSprite(s.id, edit);
            },
            py::name(name), py::is_method(sprite), py::arg("value")),
        doc);
}

double finiteNumber(double value, const char* what) {
    if (!std::isfinite(value)) {
        throw py::value_error(std::string(what) + " must be finite");
    }
    return value;
}

}  // namespace

void registerSpriteLooks(py::module_& m) {
    auto sprite = py::reinterpret_borrow<py::class_<Sprite>>(m.attr("Sprite"));
    property<double>(
        sprite, "angle", [](const orv::GameObject& o, const orv::SpriteKind&) { return o.angle; },
        [](double degrees) {
            const double angle = finiteNumber(degrees, "a sprite's angle");
            return [angle](orv::GameObject& o, orv::SpriteKind&) { o.angle = angle; };
        },
        "float: Read/write. How far the sprite is turned about its anchor, in degrees clockwise as seen "
        "(finite; default 0.0).");
    property<py::object>(
        sprite, "anchor",
        [](const orv::GameObject&, const orv::SpriteKind& k) {
            return py::make_tuple(k.look.anchorOffsetX(k.width), k.look.anchorOffsetY(k.height));
        },
        [](const py::object& given) {
            const Anchor anchor = anchorArgument(given);
            return [anchor](orv::GameObject&, orv::SpriteKind& k) {
                k.look.anchorFraction = anchor.fraction;
                k.look.anchorX = anchor.x;
                k.look.anchorY = anchor.y;
            };
        },
        "tuple[float, float]: Read/write. The point the sprite turns, scales and flips about. Set a name "
        "('center', the default, 'topleft', 'top', ... 'bottomright') or a pixel offset (x, y) from its top-left "
        "corner; reads as (x, y) pixels in the sprite's box as drawn before scale.");
    property<py::object>(
        sprite, "scale", [](const orv::GameObject&, const orv::SpriteKind& k) { return py::make_tuple(k.look.scaleX, k.look.scaleY); },
        [](const py::object& given) {
            double sx = 0.0;
            double sy = 0.0;
            if (py::isinstance<py::tuple>(given) || py::isinstance<py::list>(given)) {
                const py::sequence pair = py::reinterpret_borrow<py::sequence>(given);
                if (pair.size() != 2) {
                    throw py::value_error("a sprite's scale is a number or a pair (sx, sy)");
                }
                sx = numberArgument(pair[0], "a sprite's scale");
                sy = numberArgument(pair[1], "a sprite's scale");
            } else {
                sx = sy = numberArgument(given, "a sprite's scale");
            }
            finiteNumber(sx, "a sprite's scale");
            finiteNumber(sy, "a sprite's scale");
            return [sx, sy](orv::GameObject&, orv::SpriteKind& k) {
                k.look.scaleX = sx;
                k.look.scaleY = sy;
            };
        },
        "tuple[float, float]: Read/write. How much the sprite is scaled about its anchor. Set a number, or "
        "(sx, sy) for each axis (finite; a negative one flips it); reads as (sx, sy). Default (1.0, 1.0).");
    property<bool>(
        sprite, "flipX", [](const orv::GameObject&, const orv::SpriteKind& k) { return k.look.flipX; },
        [](bool flip) { return [flip](orv::GameObject&, orv::SpriteKind& k) { k.look.flipX = flip; }; },
        "bool: Read/write. Whether the picture is mirrored left to right, about its anchor. Default False.");
    property<bool>(
        sprite, "flipY", [](const orv::GameObject&, const orv::SpriteKind& k) { return k.look.flipY; },
        [](bool flip) { return [flip](orv::GameObject&, orv::SpriteKind& k) { k.look.flipY = flip; }; },
        "bool: Read/write. Whether the picture is mirrored top to bottom, about its anchor. Default False.");
    property<double>(
        sprite, "opacity", [](const orv::GameObject&, const orv::SpriteKind& k) { return static_cast<double>(k.look.opacity); },
        [](double opacity) {
            if (!(opacity >= 0.0 && opacity <= 1.0)) {
                throw py::value_error("a sprite's opacity must be from 0 to 1");
            }
            return [opacity](orv::GameObject&, orv::SpriteKind& k) { k.look.opacity = static_cast<float>(opacity); };
        },
        "float: Read/write. How opaque the sprite is, from 0.0 (not drawn) to 1.0 (as the picture is, the "
        "default); ValueError outside.");
    property<py::object>(
        sprite, "tint",
        [](const orv::GameObject& o, const orv::SpriteKind&) {
            const uint32_t t = o.colour;
            return py::make_tuple(t & 0xFFu, t >> 8 & 0xFFu, t >> 16 & 0xFFu, t >> 24);
        },
        [](const py::object& colour) {
            const uint32_t rgba = colourArgument(colour);
            return [rgba](orv::GameObject& o, orv::SpriteKind&) { o.colour = rgba; };
        },
        "tuple[int, int, int, int]: Read/write. A colour multiplied into every texel, alpha included. Set any "
        "colour ('#rrggbbaa', 'red', (r, g, b, a), 0xRRGGBB); reads as (r, g, b, a) of 0 to 255. Default "
        "'white', which leaves the picture as it is.");
    property<bool>(
        sprite, "smooth", [](const orv::GameObject&, const orv::SpriteKind& k) { return k.look.smooth; },
        [](bool smooth) { return [smooth](orv::GameObject&, orv::SpriteKind& k) { k.look.smooth = smooth; }; },
        "bool: Read/write. True (the default) filters a scaled or turned picture bilinearly; False shows "
        "each pixel's nearest texel, for pixel art.");
}

}  // namespace qel
