#pragma once
// Sprites and text: createSprite, createText and the handles they return.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "bindings/anchor_argument.hpp"
#include "platform/point2d.hpp"
#include "platform/zero_filled.hpp"

namespace qel {

struct Sprite {
    uint32_t id = 0;
    Point2D top_left;
    double width = 0.0;
    double height = 0.0;

    // An instance made without createSprite reads as all zeros.
    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* storage) noexcept { ::operator delete(storage); }
};

struct Text {
    uint32_t id = 0;
    Point2D top_left;
    double width = 0.0;   // of the drawn text
    double height = 0.0;
    // The point of the drawn box the text is held by, and where that point is: it stays
    // put when the text or its size changes.
    Anchor anchor{false, 0.0, 0.0};
    Point2D at;
    // The text drawn, as a str (null only for a record whose __init__ never ran).
    pybind11::object text;

    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* storage) noexcept { ::operator delete(storage); }
};

// Registers the Sprite and Text classes (the module lists them after its functions).
void registerPictureClasses(pybind11::module_& m);
// Registers createSprite and createText.
void registerPictureFunctions(pybind11::module_& m);

}  // namespace qel
