#version 450

layout(location = 0) in vec2 position;
layout(location = 1) in vec3 color;

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
    // Rectangles and circles carry corner colours no brighter than 0.5 and are given in
    // window pixels (y down); the triangles carry a full primary per corner and are given
    // in clip space, spun by the object's transform.
    bool pixelSpace = max(max(color.r, color.g), color.b) < 0.75;
    if (pixelSpace) {
        vec2 ndc = position / vec2(push.screenWidth, push.screenHeight) * 2.0 - 1.0;
        gl_Position = vec4(ndc, 0.0, 1.0);
    } else {
        gl_Position = vec4(push.transform * position + push.offset, 0.0, 1.0);
    }
}
