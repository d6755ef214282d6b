#pragma once
// Sprites' pictures and frames: loadSheet and its Sheet, Sprite.setImage and Sprite.setFrame,
// and the picture arguments createSprite shares with them (a path or a sheet, frame=,
// colorKey=).

#include <pybind11/pybind11.h>

#include <vector>

#include "render/picture_library.hpp"

namespace qel {

// A picture cut into frames, row by row (or an animated GIF's frames), with their delays.
// It names its file, not a place in the atlas, so it outlives engines.
struct Sheet {
    orv::PictureSource source;
    std::vector<orv::AtlasRect> frames;
    std::vector<double> delays;
};

// A sprite's picture as the arguments give it, converted before the engine is taken.
struct SpritePicture {
    orv::PictureSource source;
    bool framed = false;
    orv::AtlasRect frame;

    const orv::AtlasRect* framePart() const { return framed ? &frame : nullptr; }
};

// `path` is a path or a Sheet; `frame` None, (x, y, w, h) for a path, or a sheet's index
// (None: its first frame); `colorKey` None or a colour (a sheet has its own).
SpritePicture spritePicture(const pybind11::handle& path, const pybind11::handle& frame,
                            const pybind11::handle& colorKey);

// Registers Sheet, loadSheet, and Sprite's setImage and setFrame.
void registerSpriteFrames(pybind11::module_& m);

}  // namespace qel
