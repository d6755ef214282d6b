#pragma once
// What sprites and text are drawn from: each picture file decoded and placed in the atlas
// once, each font loaded once, text laid out into glyphs in the atlas, and every text's font
// and size, kept for laying its text out again. Pictures and glyph sizes are counted by the
// objects that use them; when the atlas is full, the places of those no object uses are
// given back (until then they stay, ready for the next object that wants them).

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "render/font_face.hpp"
#include "render/gif_file.hpp"
#include "render/text_layout.hpp"
#include "render/texture_atlas.hpp"

namespace orv {

// Where a picture comes from: a file; with `keyed`, its texels of the RGB colour `colorKey`
// (0xRRGGBB) made transparent; with `allFrames`, every frame of an animated GIF laid out on it.
// Each way of loading a file is a picture of its own.
struct PictureSource {
    std::string path;
    bool keyed = false;
    uint32_t colorKey = 0;
    bool allFrames = false;
};

class PictureLibrary {
public:
    // Pictures wider or higher than `maxSide` are refused.
    PictureLibrary(TextureAtlas& sheet, uint32_t largestSide);
    ~PictureLibrary();

    PictureLibrary(const PictureLibrary&) = delete;
    PictureLibrary& operator=(const PictureLibrary&) = delete;

    struct Picture {
        AtlasRect rect;    // in the atlas
        AtlasRect opaque;  // of the picture, fully opaque
        AtlasRect visible;  // of the picture, not fully transparent
        uint32_t users = 0;
        // Its frames (in its own texels) and their delays in seconds: one, the whole picture,
        // unless loaded with all of a GIF's frames.
        std::vector<AtlasRect> frames;
        std::vector<double> delays;
    };
    // The picture of the file at `path` for sprite `owner`; a file already loaded (by its
    // resolved path) is not read again. Throws "cannot load PATH: ..." when it cannot be.
    const Picture& picture(uint32_t owner, const std::string& path);
    // As above, loaded as `source` says; the picture `owner` used before has a user fewer.
    const Picture& picture(uint32_t owner, const PictureSource& source);
    // The picture loaded for no object (until one uses it, the atlas may take its place back).
    const Picture& load(const PictureSource& source);
    // The picture `owner` uses, or null.
    const Picture* pictureOf(uint32_t owner) const;

    // Lays out the text of text `owner` in the font file at `fontPath` (empty: DejaVu Sans),
    // `size` pixels high, and keeps both for `layOutAgain`.
    void layOut(uint32_t owner, const std::string& fontPath, double size, const std::string& text, TextLayout& out);
    // Lays a text out anew in its own font and size; false when `owner` has none.
    bool layOutAgain(uint32_t owner, const std::string& text, TextLayout& out);
    // Lays a text out anew in its own font at another size, which it keeps from then on;
    // false when `owner` has none.
    bool layOutAtSize(uint32_t owner, double size, const std::string& text, TextLayout& out);
    // The object `owner` is gone: what it used is one user fewer.
    void forget(uint32_t owner);

private:
    struct TextStyle {
        FontFace* face;
        double size;
    };
    using SizeKey = std::pair<uint32_t, long>;  // font, glyph size

    // The resolved path, with the colour key and the frames asked for after a NUL.
    static std::string keyOf(const PictureSource& source);
    // The picture known by `key`, decoded and placed in the atlas unless it is already.
    Picture& loaded(const PictureSource& source, const std::string& key);
    // Places a decoded picture in the atlas under `key`.
    Picture& place(const std::string& key, const PictureSource& source, ImageFrames decoded);
    // Gives the atlas back the places of pictures and glyph sizes nothing uses.
    bool reclaim();
    void drop(const SizeKey& key);

    TextureAtlas& atlas;
    FontLibrary fonts;
    GlyphCache glyphs;
    uint32_t maxSide;
    std::unordered_map<std::string, Picture> pictures;  // by resolved path
    std::unordered_map<uint32_t, std::string> sprites;  // each sprite's picture
    std::unordered_map<uint32_t, TextStyle> styles;
    std::map<SizeKey, uint32_t> sizeUsers;
};

}  // namespace orv
