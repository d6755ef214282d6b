#version 450

// Solid primitives in window pixels (y down), each vertex with its primitive's colour.
layout(location = 0) in vec2 position;
layout(location = 1) in vec3 color;

// The engine's 64-byte block; only the frame's size is read here.
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

// Set for the pipelines that draw discs, each cut out of its quad.
layout(constant_id = 0) const bool kCutDisc = false;
// Set for the pipeline that draws stretches of plain quads and discs together: the quads at
// even places (counted from the buffer's start, six vertices each) are discs.
layout(constant_id = 1) const bool kDiscByParity = false;

layout(location = 0) flat out vec3 fillColor;
// Position inside a disc's quad in units of its half size; (0, 0) elsewhere.
layout(location = 1) out vec2 local;

// Corner of a quad's six vertices (two triangles) in units of its half size.
const vec2 kCorners[6] = vec2[](vec2(-1.0, -1.0), vec2(-1.0, 1.0), vec2(1.0, 1.0),
                                vec2(-1.0, -1.0), vec2(1.0, 1.0), vec2(1.0, -1.0));

void main() {
    vec2 ndc = position / vec2(push.screenWidth, push.screenHeight) * 2.0 - 1.0;
    gl_Position = vec4(ndc, 0.0, 1.0);
    fillColor = color;
    const bool disc = kCutDisc && (!kDiscByParity || (gl_VertexIndex / 6) % 2 == 0);
    local = disc ? kCorners[gl_VertexIndex % 6] : vec2(0.0);
}
