#version 450
#extension GL_GOOGLE_include_directive : require

#include "draw_layout.h"

layout(set = 0, binding = 0) uniform sampler2D atlas;

vec4 atlasTexel(ivec2 at) {
    return texelFetch(atlas, at, 0);
}

#include "picture.glsl"

layout(location = 0) in vec2 texel;
layout(location = 1) flat in vec4 rect;
layout(location = 2) flat in vec4 tint;
layout(location = 3) flat in uint kind;

// Premultiplied: blended with "one, one minus source alpha", the "over" of straight alpha.
layout(location = 0) out vec4 outColor;

// Whether `at`, in the box of `size`, lies beyond its corners' circles of radius r.
bool beyondCorners(vec2 at, vec2 size, float r) {
    const vec2 corner = at - clamp(at, vec2(r), size - r);
    return dot(corner, corner) > r * r;
}

// Whether `at` lies in the rounded box [0, size) with corners of radius r.
bool inRoundedBox(vec2 at, vec2 size, float r) {
    return all(greaterThanEqual(at, vec2(0.0))) && all(lessThan(at, size)) && !beyondCorners(at, size, r);
}

void main() {
    const uint shape = kind & kKindMask;
    if (shape == kPrimDisc) {
        // `texel` runs from -1 to 1 across the disc; a ring leaves out its inner ellipse.
        const vec2 inner = rect.xy;
        const vec2 hole = texel / inner;
        if (dot(texel, texel) > 1.0 ||
            ((kind & kFlagRing) != 0u && inner.x > 0.0 && inner.y > 0.0 && dot(hole, hole) < 1.0)) {
            discard;
        }
        outColor = tint;
        return;
    }
    if (shape == kPrimRoundedBox) {
        // `texel` is the place in the box in pixels; rect: width, height, radius, outline.
        const float radius = clamp(rect.z, 0.0, 0.5 * min(rect.x, rect.y));
        const float outline = rect.w;
        const vec2 innerSize = rect.xy - 2.0 * outline;
        // The rasteriser has decided the straight sides: only the corners are cut here.
        if (beyondCorners(clamp(texel, vec2(0.0), rect.xy), rect.xy, radius) ||
            (outline > 0.0 && innerSize.x > 0.0 && innerSize.y > 0.0 &&
             inRoundedBox(texel - outline, innerSize, max(radius - outline, 0.0)))) {
            discard;
        }
        outColor = tint;
        return;
    }
    if ((kind & kFlagTextured) == 0u) {
        outColor = tint;  // a quad or a triangle seen through
        return;
    }
    // Outside the picture: part of a turned picture's bounds, drawn for it when it reaches far
    // beyond the frame.
    if (any(lessThan(texel, vec2(0.0))) || any(greaterThanEqual(texel, rect.zw))) {
        discard;
    }
    outColor = ((kind & kFlagNearest) != 0u ? nearestPicture(texel, rect) : samplePicture(texel, rect)) * tint;
}
