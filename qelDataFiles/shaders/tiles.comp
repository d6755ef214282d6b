#version 450
#extension GL_EXT_control_flow_attributes : require

// Draws the frame in 16 x 16 pixel tiles, one workgroup a tile. The host lists for every
// tile the shapes that reach it, topmost first; each invocation owns one 16-pixel column of
// its tile, walks the tile's list once and keeps, for each of its pixels, the first shape
// whose area holds the pixel's centre. A shape is loaded once per column and a whole column
// is passed over with one test when the shape does not reach it.

const uint kTile = 16u;
layout(local_size_x = 16, local_size_y = 1, local_size_z = 1) in;

const uint kRectangle = 0u;
const uint kCircle = 1u;
const uint kTriangle = 2u;

struct Shape {
    // The first and last column and row of pixels whose centres the shape's box holds
    // (a triangle's: its bounding box's).
    uvec4 pixels;
    // A circle: left, top, 2 / width, 2 / height of its square. A triangle: corners a and b.
    vec4 p;
    // The colour as the target stores it, the kind, and a triangle's corner c.
    uvec4 info;
};

layout(std430, set = 0, binding = 0) writeonly buffer Target { uint pixels[]; };
layout(std430, set = 0, binding = 1) readonly buffer Shapes { Shape shapes[]; };
layout(std430, set = 0, binding = 2) readonly buffer Ranges { uvec2 ranges[]; };
layout(std430, set = 0, binding = 3) readonly buffer Lists { uint lists[]; };

layout(push_constant) uniform Frame {
    uvec2 size;
    uint tilesX;
    uint clearColor;
} frame;

float edge(vec2 a, vec2 b, vec2 p) {
    return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
}

void main() {
    const uint x = gl_GlobalInvocationID.x;
    if (x >= frame.size.x) {
        return;
    }
    const uint top = gl_WorkGroupID.y * kTile;
    const float px = float(x) + 0.5;

    uint colors[kTile];
    uint done = 0u;
    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        colors[k] = frame.clearColor;
        if (top + k >= frame.size.y) {
            done |= 1u << k;
        }
    }

    const uvec2 range = ranges[gl_WorkGroupID.y * frame.tilesX + gl_WorkGroupID.x];
    for (uint i = range.x; i < range.x + range.y && done != 0xFFFFu; ++i) {
        const uint index = lists[i];
        const uvec4 pixels = shapes[index].pixels;
        if (x < pixels.x || x > pixels.z) {
            continue;
        }
        // The rows of this column in the shape's box, less those a shape above has taken.
        const uint first = max(pixels.y, top) - top;
        const uint last = min(pixels.w, top + kTile - 1u) - top;
        uint rows = ((0xFFFFu << first) & (0xFFFFu >> (kTile - 1u - last))) & ~done;
        if (rows == 0u) {
            continue;
        }
        const uvec4 info = shapes[index].info;
        if (info.y == kCircle) {
            const vec4 p = shapes[index].p;
            const float lx = (px - p.x) * p.z - 1.0;
            [[unroll]] for (uint k = 0u; k < kTile; ++k) {
                const float ly = (float(top + k) + 0.5 - p.y) * p.w - 1.0;
                rows &= (lx * lx + ly * ly <= 1.0) ? 0xFFFFFFFFu : ~(1u << k);
            }
        } else if (info.y == kTriangle) {
            const vec4 p = shapes[index].p;
            const vec2 c = uintBitsToFloat(info.zw);
            [[unroll]] for (uint k = 0u; k < kTile; ++k) {
                const vec2 at = vec2(px, float(top + k) + 0.5);
                const float e0 = edge(p.xy, p.zw, at);
                const float e1 = edge(p.zw, c, at);
                const float e2 = edge(c, p.xy, at);
                const bool inside = (e0 >= 0.0 && e1 >= 0.0 && e2 >= 0.0) || (e0 <= 0.0 && e1 <= 0.0 && e2 <= 0.0);
                rows &= inside ? 0xFFFFFFFFu : ~(1u << k);
            }
        }
        [[unroll]] for (uint k = 0u; k < kTile; ++k) {
            colors[k] = (rows & (1u << k)) != 0u ? info.x : colors[k];
        }
        done |= rows;
    }

    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        if (top + k < frame.size.y) {
            pixels[(top + k) * frame.size.x + x] = colors[k];
        }
    }
}
