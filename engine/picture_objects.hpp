#pragma once
// Sprites and text: the objects drawn from the texture atlas, whose pictures and glyphs the
// picture library loads and lays out for them. Every other edit goes to the scene.

#include <cstdint>
#include <string>
#include <utility>

#include "engine/scene.hpp"
#include "render/picture_library.hpp"
#include "render/texture_atlas.hpp"

namespace orv {

class PictureObjects {
public:
    PictureObjects(Scene& objects, PictureLibrary& pictures, const TextureAtlas& sheet)
        : scene{objects}, library{pictures}, atlas{sheet} {}

    // Text larger than this would fill the atlas with a handful of glyphs; below a pixel the
    // font's sizes round to nothing and its metrics stop making sense.
    static constexpr double kMinTextSize = 1.0;
    static constexpr double kMaxTextSize = 1000.0;

    // A picture drawn with its top-left corner at (x, y), `width` by `height` pixels (0: the
    // picture's own). `frame` is a part of the picture in its texels (null: the whole
    // picture); one outside it is std::invalid_argument. A file is decoded and uploaded once,
    // whatever uses it.
    uint32_t createSprite(double x, double y, const PictureSource& source, double width, double height,
                          const AtlasRect* frame);
    // Another picture (and frame) for a sprite: same identifier, layer and place, drawn at its
    // own size along each axis the script gave no size for.
    void setImage(uint32_t id, const PictureSource& source, const AtlasRect* frame);
    void setFrame(uint32_t id, const AtlasRect& frame);
    // The picture of `source` as sheets see it (its frames and delays), loaded if need be.
    const PictureLibrary::Picture& load(const PictureSource& source) { return library.load(source); }

    // Text (UTF-8) with its top-left corner at (x, y), `size` pixels high, coloured packed RGBA,
    // in a font file (empty: DejaVu Sans).
    uint32_t createText(double x, double y, const std::string& text, double size, uint32_t rgba,
                        const std::string& fontPath);
    // Lays a text object's text out anew; other objects are left alone. Text that cannot be
    // laid out leaves the old text drawn.
    void setText(uint32_t id, const std::string& text);
    // Lays a text object's text (UTF-8) out anew at `size` pixels high, in its own font.
    void setTextSize(uint32_t id, const std::string& text, double size);

    // A sprite's record, or null when `id` names no sprite.
    const GameObject* sprite(uint32_t id) const;
    // Changes a sprite's record, as edit(object, sprite); false when `id` names no sprite.
    template <typename Edit>
    bool editSprite(uint32_t id, Edit&& edit) {
        GameObject* object = scene.find(id);
        SpriteKind* kind = object != nullptr ? as<SpriteKind>(*object) : nullptr;
        if (kind == nullptr) {
            return false;
        }
        edit(*object, *kind);
        scene.touch();
        return true;
    }
    // Where a sprite's picture lies in the atlas (its size: the picture's own); empty for others.
    AtlasRect pictureOf(uint32_t id) const;
    // The drawn size of a sprite or text (its box before any turn or scale; see extentOf).
    std::pair<double, double> drawnSize(uint32_t id) const;

    // True when something had the identifier; it is gone from the next frame on.
    bool remove(uint32_t id);
    // How many pictures and glyphs the atlas has queued for upload, ever.
    uint64_t atlasUploads() const { return atlas.uploadsQueued(); }

private:
    Scene& scene;
    PictureLibrary& library;
    const TextureAtlas& atlas;
    // setText lays text out here first; it then holds the replaced layout, whose storage the
    // next setText reuses.
    TextLayout spareLayout;
};

}  // namespace orv
