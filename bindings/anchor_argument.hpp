#pragma once
// Where an object is held from: a named point of its box ("topleft", "top", "topright", "left",
// "center", "right", "bottomleft", "bottom", "bottomright") or a pixel offset (x, y) from its
// top-left corner. Anything else raises ValueError (TypeError for a wrong type).

#include <pybind11/pybind11.h>

namespace qel {

struct Anchor {
    // A named point: x and y are fractions of the box (0 to 1); otherwise pixels.
    bool fraction = true;
    double x = 0.5;
    double y = 0.5;

    // The offset from the top-left corner of a box `width` by `height`.
    double offsetX(double width) const { return fraction ? x * width : x; }
    double offsetY(double height) const { return fraction ? y * height : y; }
};

Anchor anchorArgument(const pybind11::handle& anchor);

}  // namespace qel
