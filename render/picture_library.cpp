#include "render/picture_library.hpp"

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "render/image_file.hpp"
#include "render/opaque_region.hpp"

namespace orv {

const PictureLibrary::Picture& PictureLibrary::picture(const std::string& path) {
    char resolved[PATH_MAX];
    const std::string key = ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
    auto found = pictures.find(key);
    if (found == pictures.end()) {
        const Image image = loadImageFile(path, maxSide);
        AtlasRect rect;
        try {
            rect = atlas.add(image.width, image.height, image.rgba.data());
        } catch (const std::runtime_error& e) {
            throw std::runtime_error("cannot load " + path + ": " + e.what());
        }
        found = pictures.emplace(key, Picture{rect, opaqueRegion(image)}).first;
    }
    return found->second;
}

void PictureLibrary::layOut(uint32_t owner, const std::string& fontPath, double size, const std::string& text,
                            TextLayout& out) {
    FontFace& face = fonts.face(fontPath);
    glyphs.layout(face, size, text, out);
    styles[owner] = TextStyle{&face, size};
}

bool PictureLibrary::layOutAgain(uint32_t owner, const std::string& text, TextLayout& out) {
    const auto style = styles.find(owner);
    if (style == styles.end()) {
        return false;
    }
    glyphs.layout(*style->second.face, style->second.size, text, out);
    return true;
}

}  // namespace orv
