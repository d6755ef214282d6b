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
    // left, top, right, bottom: the pixel centres p with left <= p.x < right and
    // top <= p.y < bottom; a triangle's bounding box.
    vec4 box;
    // A circle: left, top, 2 / width, 2 / height of its square. A triangle: corners a and b.
    vec4 p;
    // A triangle: corner c.
    vec4 q;
    // The colour as the target stores it, and the kind.
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
        const Shape s = shapes[lists[i]];
        if (px < s.box.x || px >= s.box.z) {
            continue;
        }
        const uint kind = s.info.y;
        const float lx = (px - s.p.x) * s.p.z - 1.0;
        [[unroll]] for (uint k = 0u; k < kTile; ++k) {
            const float py = float(top + k) + 0.5;
            bool hit = (done & (1u << k)) == 0u && py >= s.box.y && py < s.box.w;
            if (kind == kCircle) {
                const float ly = (py - s.p.y) * s.p.w - 1.0;
                hit = hit && lx * lx + ly * ly <= 1.0;
            } else if (kind == kTriangle) {
                const vec2 at = vec2(px, py);
                const float e0 = edge(s.p.xy, s.p.zw, at);
                const float e1 = edge(s.p.zw, s.q.xy, at);
                const float e2 = edge(s.q.xy, s.p.xy, at);
                hit = hit && ((e0 >= 0.0 && e1 >= 0.0 && e2 >= 0.0) || (e0 <= 0.0 && e1 <= 0.0 && e2 <= 0.0));
            }
            if (hit) {
                colors[k] = s.info.x;
                done |= 1u << k;
            }
        }
    }

    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        if (top + k < frame.size.y) {
            pixels[(top + k) * frame.size.x + x] = colors[k];
        }
    }
}
