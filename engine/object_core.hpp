#pragma once
// What every object of the scene has, whatever its kind: its identifier, layer, whether it
// is shown, where it is (in its kind's own anchor convention), its turn and its colour.

#include <cstdint>
#include <initializer_list>

namespace orv {

struct ObjectCore {
    std::uint32_t id = 0;
    // Higher layers are drawn above lower ones; within a layer the first created is on top.
    std::int32_t layer = 0;
    // Hidden objects are neither drawn nor hit.
    bool visible = true;
    // Window pixels, y down: a rectangle's top-left corner, a circle's centre, a line's first
    // end, a polygon's offset, a picture's top-left corner.
    double x = 0.0;
    double y = 0.0;
    // How far the object is turned, in degrees, clockwise as seen (y runs down).
    double angle = 0.0;
    // Packed RGBA, red in the low byte: alpha 255 opaque, 0 not drawn at all.
    std::uint32_t colour = 0xFFFFFFFFu;
};

// Process-wide: 0 at load, never reset, so identifiers stay unique across engines. Wider
// than an identifier, so having given out the last one (4294967295) shows.
extern std::uint64_t nextObjectId;

// The identifier the next object takes; once all 2^32 have been given out, a
// std::runtime_error, as an identifier is never given out twice.
std::uint32_t upcomingObjectId();

// 0xRRGGBB (bits 24 to 31 ignored) as packed RGBA, opaque.
inline std::uint32_t opaqueColour(std::int32_t rgb) {
    const auto v = static_cast<std::uint32_t>(rgb);
    return (v >> 16 & 0xFFu) | (v & 0xFF00u) | (v & 0xFFu) << 16 | 0xFF000000u;
}

// What creating and editing objects refuse, as std::invalid_argument naming `what`: values
// that are not finite, and widths (outlines, radii) that are negative too.
void requireFinite(std::initializer_list<double> values, const char* what);
void requireWidth(double width, const char* what);

}  // namespace orv
