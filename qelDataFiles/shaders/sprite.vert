#version 450

// Pictures and glyphs as quads in window pixels, y down, and solid primitives seen through.
// Each vertex carries where it lies in its picture (texels), the picture's place in the atlas
// (empty for a solid primitive), and the premultiplied tint (white for pictures, the text's
// colour for glyphs, the primitive's colour).
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texel;
layout(location = 2) in vec4 rect;
layout(location = 3) in vec4 tint;

layout(push_constant) uniform Push {
    vec2 screen;
} push;

layout(location = 0) out vec2 outTexel;
layout(location = 1) flat out vec4 outRect;
layout(location = 2) flat out vec4 outTint;

void main() {
    gl_Position = vec4(position / push.screen * 2.0 - 1.0, 0.0, 1.0);
    outTexel = texel;
    outRect = rect;
    outTint = tint;
}
