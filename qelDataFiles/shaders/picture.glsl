// Reading pictures from the texture atlas: bilinear filtering done by hand on premultiplied
// texels, clamped to the picture's own texels so neighbours never bleed in. Both renderers
// use this, so they blend the same colours. The includer defines atlasTexel(at), the straight
// RGBA texel at `at` of the atlas, as it reads the atlas best.

vec4 premultipliedTexel(ivec2 at) {
    const vec4 texel = atlasTexel(at);
    return vec4(texel.rgb * texel.a, texel.a);
}

// Bilinear between the four texels about `s`, a place in the picture in texel centres (the
// first at 0), already clamped to the picture: at a whole `s` the first texel alone.
vec4 blendTexels(vec2 s, vec4 rect) {
    const vec2 base = floor(s);
    const vec2 f = s - base;
    const ivec2 a = ivec2(rect.xy + base);
    const ivec2 b = ivec2(rect.xy + min(base + 1.0, rect.zw - 1.0));
    const vec4 top = mix(premultipliedTexel(a), premultipliedTexel(ivec2(b.x, a.y)), f.x);
    const vec4 bottom = mix(premultipliedTexel(ivec2(a.x, b.y)), premultipliedTexel(b), f.x);
    return mix(top, bottom, f.y);
}

// `at`: a position in the picture in texels (its top-left corner at 0); `rect`: the picture's
// place in the atlas (x, y, width, height). Premultiplied colour.
vec4 samplePicture(vec2 at, vec4 rect) {
    return blendTexels(clamp(at - 0.5, vec2(0.0), rect.zw - 1.0), rect);
}

// The texel under `at` alone: for a picture drawn at its own size on whole pixels, whose pixel
// centres fall on texel centres, where the bilinear weights above are 1 and 0.
vec4 nearestPicture(vec2 at, vec4 rect) {
    return premultipliedTexel(ivec2(rect.xy + clamp(floor(at), vec2(0.0), rect.zw - 1.0)));
}
