#version 450
#extension GL_GOOGLE_include_directive : require

#include "picture.glsl"

layout(set = 0, binding = 0) uniform sampler2D atlas;

layout(location = 0) in vec2 texel;
layout(location = 1) flat in vec4 rect;
layout(location = 2) flat in vec4 tint;

// Premultiplied: blended with "one, one minus source alpha", the "over" of straight alpha.
layout(location = 0) out vec4 outColor;

void main() {
    outColor = samplePicture(atlas, texel, rect) * tint;
}
