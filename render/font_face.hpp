#pragma once
// Fonts through FreeType: a face read from a TrueType or OpenType file, its glyphs rendered
// as 8-bit coverage at a given size. The library keeps one face a file.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

typedef struct FT_LibraryRec_* FT_Library;
typedef struct FT_FaceRec_* FT_Face;

namespace orv {

// A glyph's coverage bitmap and where it sits: `left` and `top` from the pen on the baseline
// (y up), `advance` in 1/64 pixel.
struct GlyphImage {
    int left = 0;
    int top = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    long advance = 0;
    std::vector<uint8_t> coverage;
};

class FontFace {
public:
    FontFace(FT_Library library, uint32_t id, const std::string& path);
    ~FontFace();

    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    uint32_t id() const { return number; }
    const std::string& path() const { return file; }

    // The size for the calls below, in 1/64 pixel.
    void setSize(long size);
    // The glyph for a character; 0, the font's missing-glyph box, when it has none.
    uint32_t glyphIndex(char32_t character) const;
    // Throws, before rendering, when the glyph would be larger than a picture may be
    // (render/picture_limits.hpp; `maxSide`: the device's largest image side).
    GlyphImage render(uint32_t glyphIndex, uint32_t maxSide);
    // In 1/64 pixel at the size set.
    long ascender() const;
    long lineHeight() const;

private:
    uint32_t number;
    std::string file;
    std::vector<uint8_t> bytes;  // the face reads from them for its whole life
    FT_Face face = nullptr;
    long size = 0;
};

class FontLibrary {
public:
    FontLibrary();
    ~FontLibrary();

    FontLibrary(const FontLibrary&) = delete;
    FontLibrary& operator=(const FontLibrary&) = delete;

    // The face of the font file at `path` (empty: the default font), loaded once a file (by
    // its resolved path). Throws a runtime error naming the file when it cannot be read as a
    // font.
    FontFace& face(const std::string& path);

    // DejaVu Sans, where Debian's fonts-dejavu-core puts it.
    static const char* defaultFontPath();
    // DejaVu Sans Bold, Oblique or BoldOblique from the same package (the default font when
    // neither); a runtime error naming the file when it is not installed.
    static std::string styledFontPath(bool bold, bool italic);

private:
    FT_Library library = nullptr;
    std::map<std::string, std::unique_ptr<FontFace>> faces;
};

}  // namespace orv
