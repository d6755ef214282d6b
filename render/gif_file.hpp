#pragma once
// Reading GIF pictures (giflib): the first frame as a still picture, or every frame as the
// canvas shows it after that frame (composed as the file's disposal rules say), laid out in a
// grid on one picture, with each frame's delay.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/atlas_packer.hpp"
#include "render/image_file.hpp"

namespace orv {

struct ImageFrames {
    Image image;
    // Each frame's place in the image, in order.
    std::vector<AtlasRect> frames;
    // Seconds each frame shows for (0 for a still picture).
    std::vector<double> delays;
};

bool isGif(const uint8_t* data, size_t size);

// Decodes GIF bytes, the first frame alone or all of them; throws std::runtime_error with the
// reason, as decodeImage does. The canvas, and all frames together, are held to the limits
// of render/picture_limits.hpp before anything is decoded into them.
ImageFrames decodeGif(const uint8_t* data, size_t size, uint32_t maxSide, bool allFrames);

}  // namespace orv
