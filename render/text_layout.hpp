#pragma once
// Laying text out: UTF-8 into glyphs on lines, each glyph's coverage kept once in the
// texture atlas (white, its coverage as alpha) and placed as a quad relative to the text's
// top-left corner.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "render/atlas_packer.hpp"
#include "render/font_face.hpp"

namespace orv {

class TextureAtlas;

struct GlyphQuad {
    float x;  // from the text's top-left corner
    float y;
    AtlasRect rect;  // its texels, drawn at one texel a pixel
};

struct TextLayout {
    std::vector<GlyphQuad> glyphs;
    // The longest line's advances by the lines' height, grown to cover any ink beyond them.
    float width = 0.0f;
    float height = 0.0f;
};

// The characters of UTF-8 text; bytes that do not decode become U+FFFD.
std::u32string decodeUtf8(const std::string& text);

// The size glyphs are rendered and kept at for text `size` pixels high, in 1/64 pixel.
long glyphSize(double size);

class GlyphCache {
public:
    explicit GlyphCache(TextureAtlas& pictures) : atlas{pictures} {}

    // Gives the atlas places of every glyph of a font and size that `unused(font id, size)`
    // says no text uses; true when there were any.
    bool reclaim(const std::function<bool(uint32_t, long)>& unused);

    // Lays `text` out in `face` at `size` pixels into `out` (its storage is reused): lines
    // break at '\n', tabs advance four spaces, characters the font lacks show its
    // missing-glyph box. New glyphs go to the atlas.
    void layout(FontFace& face, double size, const std::string& text, TextLayout& out);

private:
    struct Glyph {
        AtlasRect rect;
        int left;
        int top;
        long advance;
    };

    const Glyph& glyph(FontFace& face, long size, uint32_t index);

    TextureAtlas& atlas;
    std::map<std::tuple<uint32_t, long, uint32_t>, Glyph> glyphs;
};

}  // namespace orv
