// The draw list's record as C++ and the shaders both read it: kind numbers, flags, the
// record's fields and their byte offsets, and how a colour is packed. GLSL includes this
// file as it is; C++ reaches it through render/draw_list.hpp.
#ifndef QEL_DRAW_LAYOUT_H
#define QEL_DRAW_LAYOUT_H

#ifdef __cplusplus
#define QEL_UINT_CONST(name, value) constexpr uint32_t name = value;
#define QEL_VEC2(name) float name[2];
#define QEL_VEC4(name) float name[4];
#define QEL_UINT(name) uint32_t name;
#else
#define QEL_UINT_CONST(name, value) const uint name = value;
#define QEL_VEC2(name) vec2 name;
#define QEL_VEC4(name) vec4 name;
#define QEL_UINT(name) uint name;
#endif

// What a primitive is: the low byte of `kind`.
// A quad: the parallelogram with corners p0 (u, v = 0, 0), p1 (1, 0), p2 (0, 1), filled
// with `color`, or with its `source` rectangle of the atlas when kTextured is set.
QEL_UINT_CONST(kPrimQuad, 0u)
// A disc: the ellipse inside the axis-aligned quad p0, p1, p2.
QEL_UINT_CONST(kPrimDisc, 1u)
// A triangle with corners p0, p1, p2.
QEL_UINT_CONST(kPrimTriangle, 2u)

// Flags above the kind.
// The quad's sides run along x and y: its pixels are those of its box.
QEL_UINT_CONST(kFlagAxisAligned, 0x100u)
// The quad shows `source` through `color` (the tint, white for a picture as it is).
QEL_UINT_CONST(kFlagTextured, 0x200u)
// A textured quad at the source's own size on whole pixels: each pixel centre falls on a
// texel centre, so one texel read a pixel draws it exactly.
QEL_UINT_CONST(kFlagOneTexelAPixel, 0x400u)
// A disc drawn as a ring: only where it lies outside the ellipse `source.x` times its size
// (0 to 1) about the same centre.
QEL_UINT_CONST(kFlagRing, 0x800u)
// A textured quad shows the texel under each pixel centre, unfiltered (pixel art).
QEL_UINT_CONST(kFlagNearest, 0x1000u)
QEL_UINT_CONST(kKindMask, 0xFFu)

// Colours are packed as 8-bit unsigned normalised RGBA, red in the low byte and alpha in the
// high one; alpha 255 is opaque. Blending is "over" on premultiplied colour, front to back in
// the compute pass and back to front in the graphics pipeline.

// One primitive, 64 bytes (std430 and C++ alike; offsets below, checked on both sides).
// `inverse` maps a pixel's offset from p0 into the source (texels of `source` for a textured
// quad, the unit square for a solid quad, -1..1 across a disc after subtracting 1):
// (dot(d, inverse.xy), dot(d, inverse.zw)).
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

#endif
