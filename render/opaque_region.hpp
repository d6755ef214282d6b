#pragma once
// The part of a picture that hides whatever is below it: a band of whole rows, or of whole
// columns, whose texels are all fully opaque. The tiles renderer stops listing shapes under
// it; a picture with none (text, soft edges everywhere) simply hides nothing.

#include "render/atlas_packer.hpp"
#include "render/image_file.hpp"

namespace orv {

// The larger of the longest run of fully opaque rows and of fully opaque columns, in texels
// from the picture's top-left corner; width 0 when no texel is opaque.
AtlasRect opaqueRegion(const Image& image);

// The smallest box holding every texel that is not fully transparent, in texels from the
// picture's top-left corner; width 0 when all are. Drawn one texel a pixel, nothing outside
// it shows, so the tiles renderer lists the picture only in the tiles this box reaches.
AtlasRect visibleRegion(const Image& image);

}  // namespace orv
