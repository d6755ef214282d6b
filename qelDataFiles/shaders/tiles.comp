#version 450
#extension GL_EXT_control_flow_attributes : require
#extension GL_GOOGLE_include_directive : require

// Draws the frame's primitives (render/draw_layout.h) in 16 x 16 pixel tiles, one workgroup
// for each tile that some primitive reaches (the others keep the clear colour the buffer was
// filled with). The host lists for each such tile the primitives that reach it, topmost
// first, a list for each half of the tile; each invocation owns one 16-pixel column of its tile
// and walks its half's list once.
// The rows a primitive covers in a column are found at once as a bit mask, not tested pixel
// by pixel. Tiles of only opaque primitives give each pixel the colour of the first one
// holding its centre; tiles with pictures, text or colours seen through (built with kBlend)
// composite front to back until a pixel is opaque.

#include "draw_layout.h"

const uint kTile = kTileSize;
const uint kAllRows = 0xFFFFu;
layout(local_size_x = kTileSize, local_size_y = 1, local_size_z = 1) in;
layout(constant_id = 0) const bool kBlend = false;
// Some picture in these tiles is scaled, or some quad turned: sample with bilinear filtering
// (unless a picture asks for the nearest texel) and test quads' sides. Without it every picture lies at its own size on whole pixels, one
// texel a pixel, and every quad's sides run along x and y.
layout(constant_id = 1) const bool kFilter = false;


// An entry of a tile's list: the primitive's index, and where in the tile its box lies (first
// and last column and row of the tile, four bits each) with its kind and flags above them.
struct Entry {
    uint shape;
    uint place;
};

layout(std430, set = 0, binding = kTilesPixelsBinding) writeonly buffer Target { uint pixels[]; };
// The primitives' records as RGBA32UI texels, and the tiles and their lists: a CPU driver
// fetches texels with vector gathers, where it loads from a storage buffer lane by lane.
layout(set = 0, binding = kTilesShapesBinding) uniform usamplerBuffer shapeTexels;
// A tile to draw: its column and row (low and high 16 bits), where its lists start, how long
// the left half's and the right half's are.
layout(set = 0, binding = kTilesRangesBinding) uniform usamplerBuffer rangeTexels;  // RGBA32UI
layout(set = 0, binding = kTilesListsBinding) uniform usamplerBuffer listTexels;    // RG32UI: shape, place
// The atlas read as a storage image: a CPU driver loads its texels more cheaply than it
// fetches them through a sampler.
layout(set = 0, binding = kTilesAtlasBinding, rgba8) uniform readonly image2D atlas;

vec4 atlasTexel(ivec2 at) {
    return imageLoad(atlas, at);
}

#include "picture.glsl"

// A word of primitive `index` at byte `offset` of its record (render/draw_layout.h).
uint primitiveWord(uint index, uint offset) {
    return texelFetch(shapeTexels, int(index * (kPrimitiveSize / 16u) + offset / 16u))[(offset % 16u) / 4u];
}
vec2 primitiveVec2(uint index, uint offset) {
    return uintBitsToFloat(uvec2(primitiveWord(index, offset), primitiveWord(index, offset + 4u)));
}
vec2 shapeP0(uint index) { return primitiveVec2(index, kOffsetP0); }
vec2 shapeP1(uint index) { return primitiveVec2(index, kOffsetP1); }
vec2 shapeP2(uint index) { return primitiveVec2(index, kOffsetP2); }
uint shapeColor(uint index) { return primitiveWord(index, kOffsetColor); }
vec4 shapeSource(uint index) { return vec4(primitiveVec2(index, kOffsetSource), primitiveVec2(index, kOffsetSource + 8u)); }
vec4 shapeInverse(uint index) { return vec4(primitiveVec2(index, kOffsetInverse), primitiveVec2(index, kOffsetInverse + 8u)); }

// Offsets as the host's block has them (render/draw_layout.h).
layout(push_constant) uniform Frame {
    layout(offset = kTilesPushOffsetSize) uvec2 size;
    layout(offset = kTilesPushOffsetClearColor) uint clearColor;  // red in the low byte
    layout(offset = kTilesPushOffsetBlueFirst) uint blueFirst;    // the target stores blue in the low byte
    layout(offset = kTilesPushOffsetFirstRange) uint firstRange;  // this dispatch's first tile in `ranges`
} frame;

// The rows k of the tile (0 to 15, row top + k) whose centres y = top + k + 0.5 satisfy
// lo <= y < hi, as a mask.
uint rowsBetween(float lo, float hi, uint top) {
    const float first = max(ceil(lo - float(top) - 0.5), 0.0);
    const float last = min(ceil(hi - float(top) - 0.5) - 1.0, float(kTile) - 1.0);
    if (!(first <= last)) {
        return 0u;
    }
    return (kAllRows << uint(first)) & (kAllRows >> (kTile - 1u - uint(last)));
}

// The rows of column x (centre px) inside the triangle a, b, c: each edge bounds y from one
// side, where it is not vertical.
uint triangleRows(vec2 a, vec2 b, vec2 c, float px, uint top) {
    const float area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    const float orient = area > 0.0 ? 1.0 : -1.0;
    float lo = -3.0e38;
    float hi = 3.0e38;
    const vec2 from[3] = vec2[](a, b, c);
    const vec2 to[3] = vec2[](b, c, a);
    [[unroll]] for (int e = 0; e < 3; ++e) {
        // Inside: orient * ((to - from) x (p - from)) >= 0, linear in y with slope dx.
        const vec2 d = to[e] - from[e];
        const float slope = orient * d.x;
        const float rest = orient * (-d.y * (px - from[e].x)) - slope * from[e].y;
        if (slope > 0.0) {
            lo = max(lo, -rest / slope);
        } else if (slope < 0.0) {
            hi = min(hi, -rest / slope);
        } else if (rest < 0.0) {
            hi = -3.0e38;
        }
    }
    return rowsBetween(lo, hi, top);
}

// The rows of a quad whose sides do not run along x and y: those where its place in the
// source, (u, v), lies in [0, width) x [0, height). Each bound is linear in y.
uint quadRows(uint index, float px, uint top) {
    float lo = -3.0e38;
    float hi = 3.0e38;
    const vec2 p0 = shapeP0(index);
    const vec4 inverse = shapeInverse(index);
    const vec2 sizes = shapeSource(index).zw;
    const float dx = px - p0.x;
    const vec2 slope = vec2(inverse.y, inverse.w);
    const vec2 rest = vec2(inverse.x, inverse.z) * dx - slope * p0.y;
    [[unroll]] for (int axis = 0; axis < 2; ++axis) {
        // 0 <= rest + slope * y < size
        const float size = sizes[axis];
        if (slope[axis] > 0.0) {
            lo = max(lo, -rest[axis] / slope[axis]);
            hi = min(hi, (size - rest[axis]) / slope[axis]);
        } else if (slope[axis] < 0.0) {
            lo = max(lo, (size - rest[axis]) / slope[axis]);
            hi = min(hi, -rest[axis] / slope[axis]);
        } else if (rest[axis] < 0.0 || rest[axis] >= size) {
            hi = -3.0e38;
        }
    }
    return rowsBetween(lo, hi, top);
}

// Where a + b t lies within the unit circle: the span of t, empty (lo > hi) when none.
vec2 circleSpan(vec2 a, vec2 b) {
    const float along = dot(b, b);
    const float middle = dot(a, b);
    const float reach = middle * middle - along * (dot(a, a) - 1.0);
    const float spread = sqrt(max(reach, 0.0));
    return reach >= 0.0 ? vec2(-middle - spread, -middle + spread) / along : vec2(3.0e38, -3.0e38);
}

// The rows of column x (centre px) inside the ellipse of the parallelogram p0, p1, p2, less a
// ring's hole: the place across it, (u, v) from -1 to 1, is linear in y.
uint ellipseRows(uint kind, uint index, vec2 p0, vec2 p1, vec2 p2, float px, uint top) {
    const vec2 e1 = 0.5 * (p1 - p0);
    const vec2 e2 = 0.5 * (p2 - p0);
    const vec2 centre = 0.5 * (p1 + p2);
    const float det = e1.x * e2.y - e1.y * e2.x;
    const float dx = px - centre.x;
    // (u, v) = a + b t at y = centre.y + t.
    const vec2 a = vec2(e2.y, -e1.y) * (dx / det);
    const vec2 b = vec2(-e2.x, e1.x) / det;
    const vec2 outer = circleSpan(a, b) + centre.y;
    const uint rows = rowsBetween(outer.x, outer.y, top);
    if ((kind & kFlagRing) == 0u || rows == 0u) {
        return rows;
    }
    // A ring leaves out the rows of its inner ellipse, its size a part of the outer's on each axis.
    const vec2 inner = shapeSource(index).xy;
    if (!(inner.x > 0.0 && inner.y > 0.0)) {
        return rows;
    }
    const vec2 hole = circleSpan(a / inner, b / inner) + centre.y;
    return rows & ~rowsBetween(hole.x, hole.y, top);
}

// Where a + b t lies in the rounded box of `size` with corners of radius r (at most half the
// smaller side): the box's own span, each end that lies beyond the straight sides on both
// axes moved onto its corner's circle (the box is convex, so the span stays one).
vec2 roundedSpan(vec2 a, vec2 b, vec2 size, float r) {
    float lo = -3.0e38;
    float hi = 3.0e38;
    [[unroll]] for (int axis = 0; axis < 2; ++axis) {
        // 0 <= a + b t < size
        if (b[axis] > 0.0) {
            lo = max(lo, -a[axis] / b[axis]);
            hi = min(hi, (size[axis] - a[axis]) / b[axis]);
        } else if (b[axis] < 0.0) {
            lo = max(lo, (size[axis] - a[axis]) / b[axis]);
            hi = min(hi, -a[axis] / b[axis]);
        } else if (a[axis] < 0.0 || a[axis] >= size[axis]) {
            hi = -3.0e38;
        }
    }
    if (!(lo <= hi) || !(r > 0.0)) {
        return vec2(lo, hi);
    }
    [[unroll]] for (int end = 0; end < 2; ++end) {
        const float t = end == 0 ? lo : hi;
        const vec2 at = a + b * t;
        if ((at.x < r || at.x > size.x - r) && (at.y < r || at.y > size.y - r)) {
            const vec2 d = (a - clamp(at, vec2(r), size - r)) / r;
            const vec2 span = circleSpan(d, b / r);
            lo = end == 0 ? span.x : lo;
            hi = end == 0 ? hi : span.y;
        }
    }
    return vec2(lo, hi);
}

// The rows of column x (centre px) inside a rounded box, less an outline's hole.
uint roundedRows(uint index, float px, uint top) {
    const vec2 p0 = shapeP0(index);
    const vec4 inverse = shapeInverse(index);
    const vec4 box = shapeSource(index);
    const vec2 size = box.xy;
    const float radius = clamp(box.z, 0.0, 0.5 * min(size.x, size.y));
    // The place in the box, in pixels, is a + b t at y = p0.y + t.
    const vec2 a = vec2(inverse.x, inverse.z) * (px - p0.x) * size;
    const vec2 b = vec2(inverse.y, inverse.w) * size;
    const vec2 outer = roundedSpan(a, b, size, radius) + p0.y;
    const uint rows = rowsBetween(outer.x, outer.y, top);
    const float outline = box.w;
    const vec2 innerSize = size - 2.0 * outline;
    if (!(outline > 0.0) || !(innerSize.x > 0.0 && innerSize.y > 0.0) || rows == 0u) {
        return rows;
    }
    const vec2 hole = roundedSpan(a - outline, b, innerSize, max(radius - outline, 0.0)) + p0.y;
    return rows & ~rowsBetween(hole.x, hole.y, top);
}

// The rows of this column that the primitive covers, before its box is applied.
uint shapeRows(uint kind, uint index, float px, uint top) {
    const uint k = kind & kKindMask;
    if (k == kPrimDisc || k == kPrimTriangle) {
        // Both from the corners alone: a CPU driver gathers each value it loads for every lane,
        // whichever branch the lanes take.
        const vec2 p0 = shapeP0(index);
        const vec2 p1 = shapeP1(index);
        const vec2 p2 = shapeP2(index);
        if (k == kPrimTriangle) {
            return triangleRows(p0, p1, p2, px, top);
        }
        return ellipseRows(kind, index, p0, p1, p2, px, top);
    }
    // Only the most general pass draws turned quads and rounded boxes: the others leave the
    // tests out altogether, since a CPU driver pays for every branch any lane might take.
    if (kFilter && k == kPrimRoundedBox) {
        return roundedRows(index, px, top);
    }
    if (kFilter && (kind & kFlagAxisAligned) == 0u) {
        return quadRows(index, px, top);
    }
    return kAllRows;
}

uint toTarget(uint rgba) {
    return frame.blueFirst != 0u ? (rgba & 0xFF00FF00u) | (rgba & 0xFFu) << 16 | (rgba >> 16) & 0xFFu : rgba;
}

void main() {
    const uvec4 range = texelFetch(rangeTexels, int(frame.firstRange + gl_WorkGroupID.x));
    const uint column = gl_LocalInvocationID.x;
    const uint x = (range.x & 0xFFFFu) * kTile + column;
    if (x >= frame.size.x) {
        return;
    }
    const uint top = (range.x >> 16) * kTile;
    const float px = float(x) + 0.5;

    // Rows already opaque, or below the bottom of the frame.
    uint done = top + kTile > frame.size.y ? kAllRows & ~(kAllRows >> (top + kTile - frame.size.y)) : 0u;
    uint colors[kTile];
    vec4 blended[kTile];  // premultiplied colour gathered front to back
    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        colors[k] = frame.clearColor;
        blended[k] = vec4(0.0);
    }

    // Each half of the tile has its own list (the right one after the left): the eight
    // columns a CPU driver runs as one vector walk only the shapes that reach them.
    const uint listStart = column < kTile / 2u ? range.y : range.y + range.z;
    const uint listEnd = listStart + (column < kTile / 2u ? range.z : range.w);
    for (uint i = listStart; i < listEnd && done != kAllRows; ++i) {
        const uvec2 listed = texelFetch(listTexels, int(i)).xy;
        const Entry entry = Entry(listed.x, listed.y);
        if (column < (entry.place & 15u) || column > ((entry.place >> 4) & 15u)) {
            continue;
        }
        const uint first = (entry.place >> 8) & 15u;
        const uint last = (entry.place >> 12) & 15u;
        const uint kind = entry.place >> 16;
        uint rows = (kAllRows << first) & (kAllRows >> (kTile - 1u - last)) & ~done;
        rows &= shapeRows(kind, entry.shape, px, top);
        if (rows == 0u) {
            continue;
        }
        const uint color = shapeColor(entry.shape);
        if (!kBlend) {
            [[unroll]] for (uint k = 0u; k < kTile; ++k) {
                colors[k] = (rows & (1u << k)) != 0u ? color : colors[k];
            }
            done |= rows;
        } else if ((kind & kFlagTextured) != 0u) {
            const vec2 p0 = shapeP0(entry.shape);
            const vec4 inverse = shapeInverse(entry.shape);
            const vec4 q = shapeSource(entry.shape);
            const vec4 straightTint = unpackUnorm4x8(color);
            const vec4 tint = vec4(straightTint.rgb * straightTint.a, straightTint.a);
            const float dx = px - p0.x;
            // Filtered pictures walk only the rows they reach: a CPU driver runs every row of an
            // unrolled loop, taken or not, and four texel reads a pixel are worth the jump. At one
            // read a pixel, indexing `blended` by a varying row costs more than it saves.
            const uint lo = kFilter ? uint(findLSB(rows)) : 0u;
            const uint hi = kFilter ? uint(findMSB(rows)) : kTile - 1u;
            [[unroll]] for (uint k = lo; k <= hi; ++k) {
                if ((rows & (1u << k)) != 0u) {
                    const float dy = float(top + k) + 0.5 - p0.y;
                    const vec2 at = vec2(inverse.x * dx + inverse.y * dy, inverse.z * dx + inverse.w * dy);
                    const bool filtered = kFilter && (kind & kFlagNearest) == 0u;
                    // Pixel art in these tiles takes the filter's path at its texel's centre (weights
                    // 1 and 0) rather than a read of its own, which every lane would pay for.
                    const vec4 source = (kFilter ? blendTexels(filtered ? clamp(at - 0.5, vec2(0.0), q.zw - 1.0)
                                                                               : clamp(floor(at), vec2(0.0), q.zw - 1.0), q)
                                                 : nearestPicture(at, q)) * tint;
                    blended[k] += (1.0 - blended[k].a) * source;
                    done |= blended[k].a >= 1.0 ? 1u << k : 0u;
                }
            }
        } else {
            const vec4 straight = unpackUnorm4x8(color);
            const vec4 source = vec4(straight.rgb * straight.a, straight.a);
            [[unroll]] for (uint k = 0u; k < kTile; ++k) {
                if ((rows & (1u << k)) != 0u) {
                    blended[k] += (1.0 - blended[k].a) * source;
                }
            }
            done |= straight.a >= 1.0 ? rows : 0u;
        }
    }

    const vec4 clear = unpackUnorm4x8(frame.clearColor);
    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        if (top + k < frame.size.y) {
            const uint rgba = kBlend ? packUnorm4x8(vec4(blended[k].rgb + (1.0 - blended[k].a) * clear.rgb, 1.0))
                                     : colors[k];
            pixels[(top + k) * frame.size.x + x] = toTarget(rgba);
        }
    }
}
