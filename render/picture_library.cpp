#include "render/picture_library.hpp"

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "render/image_file.hpp"
#include "render/opaque_region.hpp"

namespace orv {

PictureLibrary::PictureLibrary(TextureAtlas& sheet, uint32_t largestSide)
    : atlas{sheet}, glyphs{sheet}, maxSide{largestSide} {
    atlas.setReclaimer([this] { return reclaim(); });
}

PictureLibrary::~PictureLibrary() {
    atlas.setReclaimer(nullptr);
}

const PictureLibrary::Picture& PictureLibrary::picture(uint32_t owner, const std::string& path) {
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
        found = pictures.emplace(key, Picture{rect, opaqueRegion(image), 0}).first;
    }
    ++found->second.users;
    sprites[owner] = key;
    return found->second;
}

void PictureLibrary::layOut(uint32_t owner, const std::string& fontPath, double size, const std::string& text,
                            TextLayout& out) {
    FontFace& face = fonts.face(fontPath);
    // Counted before laying out, so the glyphs it places are not given back as it goes.
    const SizeKey key{face.id(), glyphSize(size)};
    ++sizeUsers[key];
    try {
        glyphs.layout(face, size, text, out);
    } catch (...) {
        drop(key);
        throw;
    }
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

bool PictureLibrary::layOutAtSize(uint32_t owner, double size, const std::string& text, TextLayout& out) {
    const auto style = styles.find(owner);
    if (style == styles.end()) {
        return false;
    }
    FontFace& face = *style->second.face;
    // The new size is counted first, so its glyphs are not given back as they are placed.
    const SizeKey key{face.id(), glyphSize(size)};
    ++sizeUsers[key];
    try {
        glyphs.layout(face, size, text, out);
    } catch (...) {
        drop(key);
        throw;
    }
    drop(SizeKey{face.id(), glyphSize(style->second.size)});
    style->second.size = size;
    return true;
}

void PictureLibrary::drop(const SizeKey& key) {
    const auto users = sizeUsers.find(key);
    if (users != sizeUsers.end() && --users->second == 0) {
        sizeUsers.erase(users);
    }
}

void PictureLibrary::forget(uint32_t owner) {
    if (const auto sprite = sprites.find(owner); sprite != sprites.end()) {
        const auto found = pictures.find(sprite->second);
        if (found != pictures.end() && found->second.users > 0) {
            --found->second.users;
        }
        sprites.erase(sprite);
    }
    if (const auto style = styles.find(owner); style != styles.end()) {
        drop(SizeKey{style->second.face->id(), glyphSize(style->second.size)});
        styles.erase(style);
    }
}

bool PictureLibrary::reclaim() {
    bool released = false;
    for (auto picture = pictures.begin(); picture != pictures.end();) {
        if (picture->second.users != 0) {
            ++picture;
            continue;
        }
        atlas.release(picture->second.rect);
        released = true;
        picture = pictures.erase(picture);
    }
    const bool glyphsReleased =
        glyphs.reclaim([this](uint32_t font, long size) { return sizeUsers.count(SizeKey{font, size}) == 0; });
    return released || glyphsReleased;
}

}  // namespace orv
