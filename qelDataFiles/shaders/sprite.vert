#version 450

// Pictures and glyphs as quads in window pixels, y down, and solid primitives cut out or seen
// through. Each vertex carries where it lies in its primitive's source (texels of a picture,
// -1 to 1 across a disc, pixels of a rounded box), the primitive's source (render/draw_layout.h),
// the premultiplied tint (white for pictures, the text's colour for glyphs, the primitive's
// colour), and the primitive's kind and flags.
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texel;
layout(location = 2) in vec4 rect;
layout(location = 3) in vec4 tint;
layout(location = 4) in uint kind;

layout(push_constant) uniform Push {
    vec2 screen;
} push;

layout(location = 0) out vec2 outTexel;
layout(location = 1) flat out vec4 outRect;
layout(location = 2) flat out vec4 outTint;
layout(location = 3) flat out uint outKind;

void main() {
    gl_Position = vec4(position / push.screen * 2.0 - 1.0, 0.0, 1.0);
    outTexel = texel;
    outRect = rect;
    outTint = tint;
    outKind = kind;
}
