#include "render/font_face.hpp"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include <unistd.h>

#include "platform/regular_file.hpp"
#include "render/picture_limits.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

namespace orv {

namespace {

// Font files are a few megabytes at most.
constexpr size_t kMaxFontFileBytes = size_t{64} << 20;

std::runtime_error fontError(const std::string& path, const std::string& why) {
    return std::runtime_error("cannot load the font " + path + ": " + why);
}

std::vector<uint8_t> readFontFile(const std::string& path) {
    try {
        return readRegularFile(path, kMaxFontFileBytes, "a font");
    } catch (const std::runtime_error& e) {
        throw fontError(path, e.what());
    }
}

}  // namespace

FontFace::FontFace(FT_Library library, uint32_t id, const std::string& path)
    : number{id}, file{path}, bytes{readFontFile(path)} {
    const FT_Error error = FT_New_Memory_Face(library, bytes.data(), static_cast<FT_Long>(bytes.size()), 0, &face);
    if (error != 0) {
        face = nullptr;
        const char* reason = FT_Error_String(error);
        throw fontError(path, std::string("not a font FreeType can read (") + (reason ? reason : "error") + ")");
    }
    if (!FT_IS_SCALABLE(face)) {
        FT_Done_Face(face);
        face = nullptr;
        throw fontError(path, "not a scalable (TrueType or OpenType) font");
    }
}

FontFace::~FontFace() {
    if (face != nullptr) {
        FT_Done_Face(face);
    }
}

void FontFace::setSize(long wanted) {
    if (wanted != size) {
        if (FT_Set_Char_Size(face, 0, wanted, 72, 72) != 0) {
            throw fontError(file, "cannot be set to " + std::to_string(static_cast<double>(wanted) / 64.0) + " pixels");
        }
        size = wanted;
    }
}

uint32_t FontFace::glyphIndex(char32_t character) const {
    return FT_Get_Char_Index(face, static_cast<FT_ULong>(character));
}

GlyphImage FontFace::render(uint32_t glyph, uint32_t maxSide) {
    GlyphImage out;
    if (FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) != 0) {
        return out;  // drawn as nothing, with no advance
    }
    const FT_GlyphSlot slot = face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        // The bitmap covers the outline's box on whole pixels. A font may draw far outside
        // its em: a glyph too large for any picture is refused before it is rendered.
        FT_BBox box;
        FT_Outline_Get_CBox(&slot->outline, &box);
        const auto pixels = [](FT_Pos from, FT_Pos to) {
            return to > from ? static_cast<uint64_t>(((to + 63) >> 6) - (from >> 6)) : uint64_t{0};
        };
        const std::string problem = pictureSizeProblem(pixels(box.xMin, box.xMax), pixels(box.yMin, box.yMax), maxSide);
        if (!problem.empty()) {
            std::ostringstream at;
            at << "at size " << static_cast<double>(size) / 64.0 << " a glyph is " << problem;
            throw fontError(file, at.str());
        }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) {
        return out;
    }
    const FT_Bitmap& bitmap = slot->bitmap;
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.advance = slot->advance.x;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) {
        return out;
    }
    out.width = bitmap.width;
    out.height = bitmap.rows;
    out.coverage.resize(static_cast<size_t>(out.width) * out.height);
    for (uint32_t row = 0; row < out.height; ++row) {
        const unsigned char* from = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
        std::memcpy(out.coverage.data() + static_cast<size_t>(row) * out.width, from, out.width);
    }
    return out;
}

long FontFace::ascender() const {
    return face->size->metrics.ascender;
}

long FontFace::lineHeight() const {
    return face->size->metrics.height;
}

FontLibrary::FontLibrary() {
    if (FT_Init_FreeType(&library) != 0) {
        library = nullptr;
        throw std::runtime_error("failed to start FreeType");
    }
}

FontLibrary::~FontLibrary() {
    faces.clear();
    if (library != nullptr) {
        FT_Done_FreeType(library);
    }
}

const char* FontLibrary::defaultFontPath() {
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

std::string FontLibrary::styledFontPath(bool bold, bool italic) {
    if (!bold && !italic) {
        return defaultFontPath();
    }
    const std::string path = std::string("/usr/share/fonts/truetype/dejavu/DejaVuSans-") +
                             (bold ? (italic ? "BoldOblique" : "Bold") : "Oblique") + ".ttf";
    if (::access(path.c_str(), R_OK) != 0) {
        throw std::runtime_error("the " + std::string(bold ? "bold " : "") + (italic ? "italic " : "") +
                                 "style of DejaVu Sans is not installed: " + path + " (package fonts-dejavu-core)");
    }
    return path;
}

FontFace& FontLibrary::face(const std::string& path) {
    // One face a file, however its path is spelt, and a relative path read from the current
    // folder at each call: the key is the resolved path.
    const std::string given = path.empty() ? defaultFontPath() : path;
    char resolved[PATH_MAX];
    const std::string file = ::realpath(given.c_str(), resolved) != nullptr ? std::string(resolved) : given;
    auto found = faces.find(file);
    if (found == faces.end()) {
        const uint32_t id = static_cast<uint32_t>(faces.size());
        found = faces.emplace(file, std::make_unique<FontFace>(library, id, file)).first;
    }
    return *found->second;
}

}  // namespace orv
