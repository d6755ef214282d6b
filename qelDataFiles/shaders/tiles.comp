#version 450
#extension GL_EXT_control_flow_attributes : require

// Draws the frame in 16 x 16 pixel tiles, one workgroup for each tile that some shape
// reaches (the others keep the clear colour the buffer was filled with). The host lists for
// each such tile the shapes that reach it, topmost first; each invocation owns one 16-pixel
// column of its tile, walks the tile's list once and gives each of its pixels the colour of
// the first shape whose area holds the pixel's centre. The rows a shape covers in a column
// are found at once as a bit mask, not tested pixel by pixel.

const uint kTile = 16u;
const uint kAllRows = 0xFFFFu;
layout(local_size_x = 16, local_size_y = 1, local_size_z = 1) in;

const uint kRectangle = 0u;
const uint kCircle = 1u;
const uint kTriangle = 2u;

struct Shape {
    // A circle: left, top, 2 / width, 2 / height of its square. A triangle: corners a, b.
    vec4 p;
    // A triangle: corner c; and the colour as the target stores it.
    vec2 c;
    uint color;
    uint unused;
};

// An entry of a tile's list: the shape's index, and where in the tile its box lies (first
// and last column and row of the tile, four bits each) with the kind of shape above them.
struct Entry {
    uint shape;
    uint place;
};

layout(std430, set = 0, binding = 0) writeonly buffer Target { uint pixels[]; };
layout(std430, set = 0, binding = 1) readonly buffer Shapes { Shape shapes[]; };
// A tile to draw: its column and row (low and high 16 bits), where its list starts, how long.
layout(std430, set = 0, binding = 2) readonly buffer Ranges { uvec4 ranges[]; };
layout(std430, set = 0, binding = 3) readonly buffer Lists { Entry lists[]; };

layout(push_constant) uniform Frame {
    uvec2 size;
    uint clearColor;
} frame;

// The rows k of the tile (0 to 15, row top + k) whose centres y = top + k + 0.5 satisfy
// lo <= y <= hi, as a mask.
uint rowsBetween(float lo, float hi, uint top) {
    const float first = max(ceil(lo - float(top) - 0.5), 0.0);
    const float last = min(floor(hi - float(top) - 0.5), float(kTile) - 1.0);
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

void main() {
    const uvec4 range = ranges[gl_WorkGroupID.x];
    const uint column = gl_LocalInvocationID.x;
    const uint x = (range.x & 0xFFFFu) * kTile + column;
    if (x >= frame.size.x) {
        return;
    }
    const uint top = (range.x >> 16) * kTile;
    const float px = float(x) + 0.5;

    uint colors[kTile];
    // Rows already taken by a shape above, or below the bottom of the frame.
    uint done = top + kTile > frame.size.y ? kAllRows & ~(kAllRows >> (top + kTile - frame.size.y)) : 0u;
    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        colors[k] = frame.clearColor;
    }

    for (uint i = range.y; i < range.y + range.z && done != kAllRows; ++i) {
        const Entry entry = lists[i];
        if (column < (entry.place & 15u) || column > ((entry.place >> 4) & 15u)) {
            continue;
        }
        const uint first = (entry.place >> 8) & 15u;
        const uint last = (entry.place >> 12) & 15u;
        uint rows = (kAllRows << first) & (kAllRows >> (kTile - 1u - last)) & ~done;
        const uint kind = entry.place >> 16;
        if (kind == kCircle) {
            // Where the column lies across the square, -1 to 1; the disc's rows are those
            // whose place down it, ly, has lx^2 + ly^2 <= 1.
            const vec4 p = shapes[entry.shape].p;
            const float lx = (px - p.x) * p.z - 1.0;
            const float spread = sqrt(max(1.0 - lx * lx, 0.0));
            rows &= lx * lx <= 1.0 ? rowsBetween(p.y + (1.0 - spread) / p.w, p.y + (1.0 + spread) / p.w, top) : 0u;
        } else if (kind == kTriangle) {
            const vec4 p = shapes[entry.shape].p;
            rows &= triangleRows(p.xy, p.zw, shapes[entry.shape].c, px, top);
        }
        if (rows != 0u) {
            const uint color = shapes[entry.shape].color;
            [[unroll]] for (uint k = 0u; k < kTile; ++k) {
                colors[k] = (rows & (1u << k)) != 0u ? color : colors[k];
            }
            done |= rows;
        }
    }

    [[unroll]] for (uint k = 0u; k < kTile; ++k) {
        if (top + k < frame.size.y) {
            pixels[(top + k) * frame.size.x + x] = colors[k];
        }
    }
}
