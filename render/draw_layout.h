// The draw list's record as C++ and the shaders both read it: kind numbers, flags, the
// record's fields and their byte offsets, and how a colour is packed; and the tiles pass's
// tile size, bindings and push block. GLSL includes this file as it is; C++ reaches it
// through render/draw_list.hpp.
#ifndef QEL_DRAW_LAYOUT_H
#define QEL_DRAW_LAYOUT_H

#ifdef __cplusplus
#define QEL_UINT_CONST(name, value) constexpr uint32_t name = value;
#define QEL_VEC2(name) float name[2];
#define QEL_VEC4(name) float name[4];
#define QEL_UINT(name) uint32_t name;
#define QEL_UVEC2(name) uint32_t name[2];
#else
#define QEL_UINT_CONST(name, value) const uint name = value;
#define QEL_VEC2(name) vec2 name;
#define QEL_VEC4(name) vec4 name;
#define QEL_UINT(name) uint name;
#define QEL_UVEC2(name) uvec2 name;
#endif

// What a primitive is: the low byte of `kind`.
// A quad: the parallelogram with corners p0 (u, v = 0, 0), p1 (1, 0), p2 (0, 1), filled
// with `color`, or with its `source` rectangle of the atlas when kTextured is set.
QEL_UINT_CONST(kPrimQuad, 0u)
// A disc: the ellipse inside the parallelogram p0, p1, p2 (touching its sides at their
// middles), its first axis along p1 - p0 and its second along p2 - p0; turned or not.
// `inverse` maps a pixel's offset from p0 to 0..2 along each axis (the centre at 1, 1).
QEL_UINT_CONST(kPrimDisc, 1u)
// A triangle with corners p0, p1, p2.
QEL_UINT_CONST(kPrimTriangle, 2u)
// A rounded rectangle on the quad p0, p1, p2 (turned or not), `inverse` mapping to the unit
// square as for a solid quad. `source`, in pixels: width, height (the quad's sides), corner
// radius, outline width (0: filled). Its local place (x, y) = (u * width, v * height) is
// covered when 0 <= x < width and 0 <= y < height and, in a corner square, within the
// corner's circle: (x - cx)^2 + (y - cy)^2 <= r^2 with (cx, cy) the place clamped to
// [r, width - r] x [r, height - r]. The radius is clamped to half the smaller side. An outline
// leaves out the inner rounded rectangle: the box less the outline on every side, radius
// max(r - outline, 0), by the same rule.
QEL_UINT_CONST(kPrimRoundedBox, 3u)

// Flags above the kind (kind and flags stay below 2^16: the tiles' lists carry them).
// The quad's sides run along x and y: its pixels are those of its box. (A disc or a rounded
// box may carry it too; they are drawn the same either way.)
QEL_UINT_CONST(kFlagAxisAligned, 0x100u)
// The quad shows `source` through `color` (the tint, white for a picture as it is).
QEL_UINT_CONST(kFlagTextured, 0x200u)
// A textured quad at the source's own size on whole pixels: each pixel centre falls on a
// texel centre, so one texel read a pixel draws it exactly.
QEL_UINT_CONST(kFlagOneTexelAPixel, 0x400u)
// A disc drawn as a ring: only where it lies outside the inner ellipse about the same centre,
// `source.x` times its size along the first axis and `source.y` along the second (0 to 1; 0
// on either axis: no hole). An outline of width w round radii (rx, ry) passes (rx - w) / rx
// and (ry - w) / ry.
QEL_UINT_CONST(kFlagRing, 0x800u)
// A textured quad shows the texel under each pixel centre, unfiltered (pixel art).
QEL_UINT_CONST(kFlagNearest, 0x1000u)
QEL_UINT_CONST(kKindMask, 0xFFu)

// Colours are packed as 8-bit unsigned normalised RGBA, red in the low byte and alpha in the
// high one; alpha 255 is opaque. Blending is "over" on premultiplied colour, front to back in
// the compute pass and back to front in the graphics pipeline.

// One primitive, 64 bytes (std430 and C++ alike; offsets below, checked on both sides).
// `inverse` maps a pixel's offset from p0 into the source (texels of `source` for a textured
// quad, the unit square for a solid quad or a rounded box, -1..1 across a disc after
// subtracting 1): (dot(d, inverse.xy), dot(d, inverse.zw)). It agrees with the corners.
#define QEL_PRIMITIVE_FIELDS \
    QEL_VEC2(p0)             \
    QEL_VEC2(p1)             \
    QEL_VEC2(p2)             \
    QEL_UINT(color)          \
    QEL_UINT(kind)           \
    QEL_VEC4(source)         \
    QEL_VEC4(inverse)

QEL_UINT_CONST(kOffsetP0, 0u)
QEL_UINT_CONST(kOffsetP1, 8u)
QEL_UINT_CONST(kOffsetP2, 16u)
QEL_UINT_CONST(kOffsetColor, 24u)
QEL_UINT_CONST(kOffsetKind, 28u)
QEL_UINT_CONST(kOffsetSource, 32u)
QEL_UINT_CONST(kOffsetInverse, 48u)
QEL_UINT_CONST(kPrimitiveSize, 64u)

// The tiles pass (render/tiles, shaders/tiles.comp): square tiles of kTileSize pixels, one
// workgroup each, one invocation a column.
QEL_UINT_CONST(kTileSize, 16u)
// Its bindings, all in set 0: the frame's pixels (a storage buffer); the primitives' records,
// the tiles to draw and their lists (texel buffers); the atlas (a storage image).
QEL_UINT_CONST(kTilesPixelsBinding, 0u)
QEL_UINT_CONST(kTilesShapesBinding, 1u)
QEL_UINT_CONST(kTilesRangesBinding, 2u)
QEL_UINT_CONST(kTilesListsBinding, 3u)
QEL_UINT_CONST(kTilesAtlasBinding, 4u)
QEL_UINT_CONST(kTilesBindingCount, 5u)
// Its push block: the frame's size, the clear colour (packed as above), whether the target
// stores blue in the low byte, and this dispatch's first tile in the ranges.
#define QEL_TILES_PUSH_FIELDS \
    QEL_UVEC2(size)           \
    QEL_UINT(clearColor)      \
    QEL_UINT(blueFirst)       \
    QEL_UINT(firstRange)

QEL_UINT_CONST(kTilesPushOffsetSize, 0u)
QEL_UINT_CONST(kTilesPushOffsetClearColor, 8u)
QEL_UINT_CONST(kTilesPushOffsetBlueFirst, 12u)
QEL_UINT_CONST(kTilesPushOffsetFirstRange, 16u)
QEL_UINT_CONST(kTilesPushSize, 20u)

#endif
