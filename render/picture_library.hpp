#pragma once
// What sprites and text are drawn from: each picture file decoded and placed in the atlas
// once, each font loaded once, text laid out into glyphs in the atlas, and every text's font
// and size, kept for laying its text out again.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "render/font_face.hpp"
#include "render/text_layout.hpp"
#include "render/texture_atlas.hpp"

namespace orv {

class PictureLibrary {
public:
    // Pictures wider or higher than `maxSide` are refused.
    PictureLibrary(TextureAtlas& sheet, uint32_t largestSide) : atlas{sheet}, glyphs{sheet}, maxSide{largestSide} {}

    struct Picture {
        AtlasRect rect;    // in the atlas
        AtlasRect opaque;  // of the picture, fully opaque
    };
    // The picture of the file at `path`; a file already loaded (by its resolved path) is not
    // read again. Throws "cannot load PATH: ..." when it cannot be.
    const Picture& picture(const std::string& path);

    // Lays out the text of text `owner` in the font file at `fontPath` (empty: DejaVu Sans),
    // `size` pixels high, and keeps both for `layOutAgain`.
    void layOut(uint32_t owner, const std::string& fontPath, double size, const std::string& text, TextLayout& out);
    // Lays a text out anew in its own font and size; false when `owner` has none.
    bool layOutAgain(uint32_t owner, const std::string& text, TextLayout& out);
    void forget(uint32_t owner) { styles.erase(owner); }

private:
    struct TextStyle {
        FontFace* face;
        double size;
    };

    TextureAtlas& atlas;
    FontLibrary fonts;
    GlyphCache glyphs;
    uint32_t maxSide;
    std::unordered_map<std::string, Picture> pictures;  // by resolved path
    std::unordered_map<uint32_t, TextStyle> styles;
};

}  // namespace orv
