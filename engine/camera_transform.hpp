#pragma once
// The camera applied to primitives already lowered in world coordinates: an affine map of
// their corners, with the flags and hints that still hold after it.

#include <cstddef>

#include "engine/camera.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct CameraTransform {
    // window = linear * world + (tx, ty); linear = zoom * [c -s; s c].
    double c = 1.0;
    double s = 0.0;
    double zoom = 1.0;
    double tx = 0.0;
    double ty = 0.0;
    // No turn: axis-aligned quads stay so.
    bool upright = true;
    // A turn of a multiple of 90 degrees: boxes stay boxes.
    bool quarterTurn = true;
    // Zoom 1, no turn, a whole-pixel shift: a picture at its own size stays on whole pixels.
    bool wholePixels = true;
};

CameraTransform transformOf(const Camera& camera);

// Moves the primitives of `list` from index `first` on through the camera, with their
// opaque hints (kept for discs and for quarter turns, dropped otherwise); those left wholly
// outside the frame are dropped.
void applyCamera(const CameraTransform& camera, DrawList& list, size_t first);

}  // namespace orv
