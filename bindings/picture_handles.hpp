#pragma once
// Sprites and text: createSprite, createText and the handles they return.

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "bindings/anchor_argument.hpp"
#include "platform/point2d.hpp"
#include "platform/zero_filled.hpp"

namespace orv {
class OrvApp;
struct GameObject;
}  // namespace orv

namespace qel {

struct Sprite {
    static constexpr const char* kKind = "Sprite";

    uint32_t id = 0;
    Point2D top_left;
    double width = 0.0;
    double height = 0.0;

    // An instance made without createSprite reads as all zeros.
    static void* operator new(std::size_t size) { return orv::zeroFilled(size); }
    static void operator delete(void* storage) noexcept { ::operator delete(storage); }
};

struct Text {
    static constexpr const char* kKind = "Text";

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

// Puts the text's anchor point at `t.at`, for the text's drawn size now.
void placeText(Text& t, orv::OrvApp& app);
// Where the text's anchor point is now: its top-left corner in the scene, plus the offset.
Point2D textAnchorPoint(const Text& t, const orv::GameObject& object);

// Registers the Sprite and Text classes (the module lists them after its functions).
void registerPictureClasses(pybind11::module_& m);
// Registers createSprite and createText.
void registerPictureFunctions(pybind11::module_& m);

}  // namespace qel
