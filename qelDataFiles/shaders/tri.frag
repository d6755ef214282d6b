#version 450

layout(location = 0) flat in vec3 fillColor;
layout(location = 1) in vec2 local;

layout(location = 0) out vec4 outColor;

// Set for the pipeline that draws circles; the others fill their primitives whole and so
// need neither the test nor the interpolated position.
layout(constant_id = 0) const bool kCutDisc = false;

void main() {
    // A circle is drawn as its bounding square; keep only the disc.
    if (kCutDisc && dot(local, local) > 1.0) {
        discard;
    }
    outColor = vec4(fillColor, 1.0);
}
