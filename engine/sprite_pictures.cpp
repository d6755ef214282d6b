// The engine's sprite operations: a sprite's picture, the part of it drawn, and its size.
#include <cmath>
#include <stdexcept>
#include <string>

#include "engine/orv_app.hpp"

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
void show(GameObject& object, const PictureLibrary::Picture& picture, const AtlasRect& frame) {
    object.picture = AtlasRect{picture.rect.x + frame.x, picture.rect.y + frame.y, frame.width, frame.height};
    object.opaque = withinFrame(picture.opaque, frame);
    object.visible = withinFrame(picture.visible, frame);
    object.sizeX = object.look.askedWidth == 0.0 ? frame.width : object.look.askedWidth;
    object.sizeY = object.look.askedHeight == 0.0 ? frame.height : object.look.askedHeight;
}

}  // namespace

uint32_t OrvApp::createSprite(double x, double y, const PictureSource& source, double w, double h,
                              const AtlasRect* frame) {
    if (!(w >= 0.0) || !(h >= 0.0) || !std::isfinite(w) || !std::isfinite(h)) {
        throw std::invalid_argument("a sprite's width and height must be finite and not negative (0: the picture's own)");
    }
    const AtlasRect part = frameIn(library.load(source), frame);
    // Counted for the identifier the sprite is about to take.
    const PictureLibrary::Picture& picture = library.picture(upcomingObjectId(), source);
    GameObject object;
    object.kind = ObjectKind::Sprite;
    object.x = x;
    object.y = y;
    object.color = {1.0f, 1.0f, 1.0f};
    object.look.askedWidth = w;
    object.look.askedHeight = h;
    show(object, picture, part);
    return scene.add(object);
}

void OrvApp::setImage(uint32_t id, const PictureSource& source, const AtlasRect* frame) {
    GameObject* object = scene.find(id);
    if (object == nullptr || object->kind != ObjectKind::Sprite) {
        return;
    }
    const PictureLibrary::Picture& loaded = library.load(source);
    const AtlasRect part = frameIn(loaded, frame);
    // Another frame of the picture it shows (an animation) needs no counting.
    const PictureLibrary::Picture& picture = library.pictureOf(id) == &loaded ? loaded : library.picture(id, source);
    show(*scene.find(id), picture, part);
    scene.touch();
}

void OrvApp::setFrame(uint32_t id, const AtlasRect& frame) {
    GameObject* object = scene.find(id);
    const PictureLibrary::Picture* picture = library.pictureOf(id);
    if (object == nullptr || object->kind != ObjectKind::Sprite || picture == nullptr) {
        return;
    }
    show(*object, *picture, frameIn(*picture, &frame));
    scene.touch();
}

const PictureLibrary::Picture& OrvApp::loadPicture(const PictureSource& source) {
    return library.load(source);
}

const GameObject* OrvApp::sprite(uint32_t id) const {
    const GameObject* object = scene.find(id);
    return object != nullptr && object->kind == ObjectKind::Sprite ? object : nullptr;
}

}  // namespace orv
