#version 450

layout(location = 0) out vec4 outColor;

layout(push_constant) uniform Push {
    layout(offset = 0) mat2 transform;
    layout(offset = 16) vec2 offset;
    layout(offset = 32) vec3 color;
    layout(offset = 44) float screenWidth;
    layout(offset = 48) float screenHeight;
    layout(offset = 52) float radius;
    layout(offset = 56) float centerX;
    layout(offset = 60) float centerY;
} push;

void main() {
    // A circle is drawn as its bounding square; keep only the disc. A negative radius
    // keeps nothing, as no point is inside it.
    if (push.radius != 0.0 &&
        distance(gl_FragCoord.xy, vec2(push.centerX, push.centerY)) > push.radius) {
        discard;
    }
    outColor = vec4(push.color, 1.0);
}
