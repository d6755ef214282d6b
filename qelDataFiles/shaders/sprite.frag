#version 450
#extension GL_GOOGLE_include_directive : require

layout(set = 0, binding = 0) uniform sampler2D atlas;

vec4 atlasTexel(ivec2 at) {
    return texelFetch(atlas, at, 0);
}

#include "picture.glsl"

layout(location = 0) in vec2 texel;
layout(location = 1) flat in vec4 rect;
layout(location = 2) flat in vec4 tint;

// Premultiplied: blended with "one, one minus source alpha", the "over" of straight alpha.
layout(location = 0) out vec4 outColor;

void main() {
    // An empty source is a solid primitive seen through; a disc's (height -1) is cut out of its
    // quad, across which `texel` runs from -1 to 1, less a ring's hole (radius rect.x).
    if (rect.z == 0.0) {
        const float along = dot(texel, texel);
        if (rect.w < 0.0 && (along > 1.0 || along < rect.x * rect.x)) {
            discard;
        }
        outColor = tint;
        return;
    }
    // Outside the picture: part of a turned picture's bounds, drawn for it when it reaches far
    // beyond the frame.
    if (any(lessThan(texel, vec2(0.0))) || any(greaterThanEqual(texel, abs(rect.zw)))) {
        discard;
    }
    // A picture drawn texel by texel carries its height negated.
    if (rect.w < 0.0) {
        outColor = nearestPicture(texel, vec4(rect.xyz, -rect.w)) * tint;
        return;
    }
    outColor = samplePicture(texel, rect) * tint;
}
