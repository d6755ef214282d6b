#include "render/text_layout.hpp"

#include <algorithm>
#include <cmath>

#include "render/texture_atlas.hpp"

namespace orv {

std::u32string decodeUtf8(const std::string& text) {
    std::u32string out;
    out.reserve(text.size());
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const size_t n = text.size();
    for (size_t i = 0; i < n;) {
        const unsigned char lead = s[i];
        size_t length = 0;
        char32_t value = 0;
        if (lead < 0x80) {
            length = 1, value = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, value = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, value = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, value = lead & 0x07u;
        }
        bool valid = length != 0 && i + length <= n;
        for (size_t k = 1; valid && k < length; ++k) {
            valid = (s[i + k] & 0xC0u) == 0x80u;
            value = value << 6 | (s[i + k] & 0x3Fu);
        }
        // No overlong forms, surrogates or values beyond U+10FFFF.
        static const char32_t kSmallest[5] = {0, 0, 0x80, 0x800, 0x10000};
        valid = valid && value >= kSmallest[length] && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        if (!valid) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(value);
        i += length;
    }
    return out;
}

long glyphSize(double size) {
    return std::lround(size * 64.0);
}

bool GlyphCache::reclaim(const std::function<bool(uint32_t, long)>& unused) {
    bool released = false;
    for (auto g = glyphs.begin(); g != glyphs.end();) {
        const auto& [font, size, index] = g->first;
        if (!unused(font, size)) {
            ++g;
            continue;
        }
        if (g->second.rect.width != 0) {
            atlas.release(g->second.rect);
            released = true;
        }
        g = glyphs.erase(g);
    }
    return released;
}

const GlyphCache::Glyph& GlyphCache::glyph(FontFace& face, long size, uint32_t index) {
    const auto key = std::make_tuple(face.id(), size, index);
    auto found = glyphs.find(key);
    if (found == glyphs.end()) {
        const GlyphImage image = face.render(index, atlas.largestSide());
        Glyph g{AtlasRect{}, image.left, image.top, image.advance};
        if (image.width != 0) {
            std::vector<uint8_t> texels(static_cast<size_t>(image.width) * image.height * 4, 255);
            for (size_t i = 0; i < image.coverage.size(); ++i) {
                texels[4 * i + 3] = image.coverage[i];
            }
            g.rect = atlas.add(image.width, image.height, texels.data());
        }
        found = glyphs.emplace(key, g).first;
    }
    return found->second;
}

void GlyphCache::layout(FontFace& face, double size, const std::string& text, TextLayout& out) {
    out.glyphs.clear();
    out.width = 0.0f;
    out.height = 0.0f;
    const long size64 = glyphSize(size);
    face.setSize(size64);
    const long ascender = face.ascender();
    const long lineHeight = face.lineHeight();
    const uint32_t space = face.glyphIndex(U' ');
    long pen = 0;  // in 1/64 pixel
    long widest = 0;
    int lines = 1;
    const std::u32string characters = decodeUtf8(text);
    for (char32_t c : characters) {
        if (c == U'\n') {
            widest = std::max(widest, pen);
            pen = 0;
            ++lines;
            continue;
        }
        if (c == U'\r') {
            continue;
        }
        const bool tab = c == U'\t';
        const Glyph& g = glyph(face, size64, tab ? space : face.glyphIndex(c));
        if (!tab && g.rect.width != 0) {
            // Whole pixels, so glyphs at whole positions are drawn texel for pixel.
            const long baseline = ascender + (lines - 1) * lineHeight;
            const float x = static_cast<float>((pen + 32) / 64 + g.left);
            const float y = static_cast<float>((baseline + 32) / 64 - g.top);
            out.glyphs.push_back(GlyphQuad{x, y, g.rect});
        }
        pen += tab ? 4 * g.advance : g.advance;
    }
    widest = std::max(widest, pen);
    if (characters.empty()) {
        return;
    }
    out.width = static_cast<float>(std::ceil(static_cast<double>(widest) / 64.0));
    out.height = static_cast<float>(std::ceil(static_cast<double>(lines * lineHeight) / 64.0));
    // Ink may overhang the advances (a leading 'j', a trailing 'f', tall accents): the box
    // covers it, moving the glyphs right or down when it starts before the corner.
    float left = 0.0f, top = 0.0f;
    for (const GlyphQuad& q : out.glyphs) {
        left = std::min(left, q.x);
        top = std::min(top, q.y);
    }
    out.width -= left;  // the advances move with the glyphs
    out.height -= top;
    for (GlyphQuad& q : out.glyphs) {
        q.x -= left;
        q.y -= top;
        out.width = std::max(out.width, q.x + static_cast<float>(q.rect.width));
        out.height = std::max(out.height, q.y + static_cast<float>(q.rect.height));
    }
}

}  // namespace orv
