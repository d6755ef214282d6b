#include "engine/picture_objects.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>


namespace orv {

namespace {

// The whole picture, or `frame` once it is checked to lie inside it.
AtlasRect frameIn(const PictureLibrary::Picture& picture, const AtlasRect* frame) {
    const AtlasRect whole{0, 0, picture.rect.width, picture.rect.height};
    if (frame == nullptr) {
        return whole;
    }
    if (frame->width == 0 || frame->height == 0 || uint64_t{frame->x} + frame->width > whole.width ||
        uint64_t{frame->y} + frame->height > whole.height) {
        throw std::invalid_argument("the frame (" + std::to_string(frame->x) + ", " + std::to_string(frame->y) + ", " +
                                    std::to_string(frame->width) + ", " + std::to_string(frame->height) +
                                    ") must be a non-empty part of the picture's " + std::to_string(whole.width) +
                                    " by " + std::to_string(whole.height) + " pixels");
    }
    return *frame;
}

// The part `o` of a picture that lies within `frame`, from the frame's corner.
AtlasRect withinFrame(const AtlasRect& o, const AtlasRect& frame) {
    const uint32_t left = std::max(o.x, frame.x);
    const uint32_t top = std::max(o.y, frame.y);
    const uint32_t right = std::min(o.x + o.width, frame.x + frame.width);
    const uint32_t bottom = std::min(o.y + o.height, frame.y + frame.height);
    return o.width != 0 && left < right && top < bottom
               ? AtlasRect{left - frame.x, top - frame.y, right - left, bottom - top}
               : AtlasRect{};
}

// The sprite draws `frame` of `picture`: its place in the atlas, its fully opaque and its
// visible parts (those of the picture within the frame) and its size.
void show(SpriteKind& sprite, const PictureLibrary::Picture& picture, const AtlasRect& frame) {
    sprite.picture = AtlasRect{picture.rect.x + frame.x, picture.rect.y + frame.y, frame.width, frame.height};
    sprite.opaque = withinFrame(picture.opaque, frame);
    sprite.visible = withinFrame(picture.visible, frame);
    sprite.width = sprite.look.askedWidth == 0.0 ? frame.width : sprite.look.askedWidth;
    sprite.height = sprite.look.askedHeight == 0.0 ? frame.height : sprite.look.askedHeight;
}

void requireTextSize(double size) {
    if (!(size >= PictureObjects::kMinTextSize) || !(size <= PictureObjects::kMaxTextSize)) {
        throw std::invalid_argument("a text's size must be from " + std::to_string(int(PictureObjects::kMinTextSize)) +
                                    " to " + std::to_string(int(PictureObjects::kMaxTextSize)) + " pixels");
    }
}

// The sprite or text object with the identifier, or null.
template <typename K>
K* found(Scene& scene, uint32_t id) {
    GameObject* object = scene.find(id);
    return object != nullptr ? as<K>(*object) : nullptr;
}

}  // namespace

uint32_t PictureObjects::createSprite(double x, double y, const PictureSource& source, double w, double h,
                                      const AtlasRect* frame) {
    if (!(w >= 0.0) || !(h >= 0.0) || !std::isfinite(w) || !std::isfinite(h)) {
        throw std::invalid_argument("a sprite's width and height must be finite and not negative (0: the picture's own)");
    }
    const AtlasRect part = frameIn(library.load(source), frame);
    // Counted for the identifier the sprite is about to take.
    const PictureLibrary::Picture& picture = library.picture(upcomingObjectId(), source);
    GameObject object;
    object.x = x;
    object.y = y;
    SpriteKind sprite;
    sprite.look.askedWidth = w;
    sprite.look.askedHeight = h;
    show(sprite, picture, part);
    object.kind = sprite;
    return scene.add(std::move(object));
}

void PictureObjects::setImage(uint32_t id, const PictureSource& source, const AtlasRect* frame) {
    if (found<SpriteKind>(scene, id) == nullptr) {
        return;
    }
    const PictureLibrary::Picture& loaded = library.load(source);
    const AtlasRect part = frameIn(loaded, frame);
    // Another frame of the picture it shows (an animation) needs no counting.
    const PictureLibrary::Picture& picture = library.pictureOf(id) == &loaded ? loaded : library.picture(id, source);
    show(*found<SpriteKind>(scene, id), picture, part);
    scene.touch();
}

void PictureObjects::setFrame(uint32_t id, const AtlasRect& frame) {
    SpriteKind* sprite = found<SpriteKind>(scene, id);
    const PictureLibrary::Picture* picture = library.pictureOf(id);
    if (sprite == nullptr || picture == nullptr) {
        return;
    }
    show(*sprite, *picture, frameIn(*picture, &frame));
    scene.touch();
}

uint32_t PictureObjects::createText(double x, double y, const std::string& text, double size, uint32_t rgba,
                                    const std::string& fontPath) {
    requireTextSize(size);
    TextKind laidOut;
    // Laid out under the identifier the text is about to take.
    library.layOut(upcomingObjectId(), fontPath, size, text, laidOut.layout);
    GameObject object;
    object.x = x;
    object.y = y;
    object.colour = rgba;
    object.kind = std::move(laidOut);
    return scene.add(std::move(object));
}

void PictureObjects::setText(uint32_t id, const std::string& text) {
    if (found<TextKind>(scene, id) == nullptr) {
        return;
    }
    // Laid out aside: text that cannot be laid out leaves the old text drawn.
    if (library.layOutAgain(id, text, spareLayout)) {
        std::swap(found<TextKind>(scene, id)->layout, spareLayout);
        scene.touch();
    }
}

void PictureObjects::setTextSize(uint32_t id, const std::string& text, double size) {
    requireTextSize(size);
    if (found<TextKind>(scene, id) == nullptr) {
        return;
    }
    // Laid out aside, as setText does: a size that fails leaves the old text drawn.
    if (library.layOutAtSize(id, size, text, spareLayout)) {
        std::swap(found<TextKind>(scene, id)->layout, spareLayout);
        scene.touch();
    }
}

bool PictureObjects::remove(uint32_t id) {
    library.forget(id);
    return scene.remove(id);
}

const GameObject* PictureObjects::sprite(uint32_t id) const {
    const GameObject* object = scene.find(id);
    return object != nullptr && as<SpriteKind>(*object) != nullptr ? object : nullptr;
}

AtlasRect PictureObjects::pictureOf(uint32_t id) const {
    const GameObject* object = sprite(id);
    return object != nullptr ? as<SpriteKind>(*object)->picture : AtlasRect{};
}

std::pair<double, double> PictureObjects::drawnSize(uint32_t id) const {
    const GameObject* object = scene.find(id);
    if (object == nullptr) {
        return {0.0, 0.0};
    }
    const std::array<double, 2> box = extentOf(*object);
    return {box[0], box[1]};
}

}  // namespace orv
