#pragma once
// How a sprite shows its picture beyond where it is: scaled and flipped about its anchor (its
// angle is the object's), seen through, sampled smoothly or texel by texel, and the
// size the script asked for, kept so another picture or frame can take its own size.

#include <cmath>
#include <cstdint>

namespace orv {

struct SpriteLook {
    // The point turned and scaled about: fractions of the box (0 to 1) or pixels from its
    // top-left corner.
    bool anchorFraction = true;
    double anchorX = 0.5;
    double anchorY = 0.5;
    double scaleX = 1.0;
    double scaleY = 1.0;
    bool flipX = false;
    bool flipY = false;
    // Bilinear filtering; false: the nearest texel (pixel art).
    bool smooth = true;
    float opacity = 1.0f;
    // The size asked for, 0 for the picture's (or frame's) own along that axis.
    double askedWidth = 0.0;
    double askedHeight = 0.0;

    // The quad's colour: the tint (packed RGBA, multiplied into every texel) with the opacity
    // in its alpha.
    uint32_t colour(uint32_t tint) const {
        const float alpha = static_cast<float>(tint >> 24) * opacity;
        return (tint & 0x00FFFFFFu) | static_cast<uint32_t>(std::lround(alpha)) << 24;
    }
    double anchorOffsetX(double width) const { return anchorFraction ? anchorX * width : anchorX; }
    double anchorOffsetY(double height) const { return anchorFraction ? anchorY * height : anchorY; }
    // Neither scaled nor flipped.
    bool unscaled() const { return scaleX == 1.0 && scaleY == 1.0 && !flipX && !flipY; }
};

}  // namespace orv
