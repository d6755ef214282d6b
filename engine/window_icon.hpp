#pragma once
// A picture file made into the window's icon: decoded by the engine's own decoder and made
// small enough for the window system to carry.

#include <cstdint>
#include <string>

#include "render/image_file.hpp"

namespace orv {

// The window system carries an icon as one property of 32 bits a pixel: larger pictures are
// shrunk to this many pixels on their longer side.
constexpr uint32_t kMaxIconSide = 256;

// Throws "cannot load PATH: ..." for a file that cannot be read or decoded, as sprites do.
Image loadWindowIcon(const std::string& path);

// Averages boxes of pixels so that neither side exceeds `maxSide`, keeping the proportions;
// an image that fits is returned as it is. Colours are weighed by their alpha, so clear
// pixels do not darken the edges.
Image shrinkImage(const Image& image, uint32_t maxSide);

}  // namespace orv
