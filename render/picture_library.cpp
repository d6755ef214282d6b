#include "render/picture_library.hpp"

#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "render/gif_file.hpp"
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

namespace {

// Texels of the key's RGB become fully transparent.
void applyColorKey(Image& image, uint32_t rgb) {
    const uint8_t r = static_cast<uint8_t>(rgb >> 16);
    const uint8_t g = static_cast<uint8_t>(rgb >> 8);
    const uint8_t b = static_cast<uint8_t>(rgb);
    for (size_t i = 0; i + 4 <= image.rgba.size(); i += 4) {
        uint8_t* t = image.rgba.data() + i;
        if (t[0] == r && t[1] == g && t[2] == b) {
            t[3] = 0;
        }
    }
}

}  // namespace

const PictureLibrary::Picture& PictureLibrary::picture(uint32_t owner, const std::string& path) {
    return picture(owner, PictureSource{path});
}

const PictureLibrary::Picture& PictureLibrary::picture(uint32_t owner, const PictureSource& source) {
    std::string key = keyOf(source);
    Picture& found = loaded(source, key);
    if (source.allFrames && found.frames.size() == 1) {
        PictureSource still = source;
        still.allFrames = false;
        key = keyOf(still);  // where a still picture is kept
    }
    // Counted before the old picture is let go: the same picture stays counted throughout.
    ++found.users;
    const auto [previous, first] = sprites.try_emplace(owner, key);
    if (!first) {
        const auto old = pictures.find(previous->second);
        if (old != pictures.end() && old->second.users > 0) {
            --old->second.users;
        }
        previous->second = key;
    }
    return found;
}

const PictureLibrary::Picture& PictureLibrary::load(const PictureSource& source) {
    return loaded(source, keyOf(source));
}

const PictureLibrary::Picture* PictureLibrary::pictureOf(uint32_t owner) const {
    const auto sprite = sprites.find(owner);
    if (sprite == sprites.end()) {
        return nullptr;
    }
    const auto found = pictures.find(sprite->second);
    return found != pictures.end() ? &found->second : nullptr;
}

std::string PictureLibrary::keyOf(const PictureSource& source) {
    char resolved[PATH_MAX];
    std::string key = ::realpath(source.path.c_str(), resolved) != nullptr ? std::string(resolved) : source.path;
    // After a NUL, which no path holds.
    if (source.keyed) {
        key += std::string(1, '\0') + "key " + std::to_string(source.colorKey);
    }
    if (source.allFrames) {
        key += std::string(1, '\0') + "frames";
    }
    return key;
}

PictureLibrary::Picture& PictureLibrary::loaded(const PictureSource& source, const std::string& key) {
    auto found = pictures.find(key);
    if (found == pictures.end()) {
        ImageFrames decoded;
        if (source.allFrames) {
            decoded = loadImageFrames(source.path, maxSide);
            // A still picture is the same however it was asked for: one picture, one upload.
            if (decoded.frames.size() == 1) {
                PictureSource still = source;
                still.allFrames = false;
                const std::string stillKey = keyOf(still);
                found = pictures.find(stillKey);
                if (found != pictures.end()) {
                    return found->second;
                }
                return place(stillKey, still, std::move(decoded));
            }
        } else {
            decoded.image = loadImageFile(source.path, maxSide);
            decoded.frames.push_back(AtlasRect{0, 0, decoded.image.width, decoded.image.height});
            decoded.delays.push_back(0.0);
        }
        return place(key, source, std::move(decoded));
    }
    return found->second;
}

PictureLibrary::Picture& PictureLibrary::place(const std::string& key, const PictureSource& source,
                                               ImageFrames decoded) {
    if (source.keyed) {
        applyColorKey(decoded.image, source.colorKey);
    }
    AtlasRect rect;
    try {
        rect = atlas.add(decoded.image.width, decoded.image.height, decoded.image.rgba.data());
    } catch (const std::runtime_error& e) {
        throw std::runtime_error("cannot load " + source.path + ": " + e.what());
    }
    return pictures
        .emplace(key, Picture{rect, opaqueRegion(decoded.image), visibleRegion(decoded.image), 0, std::move(decoded.frames),
                              std::move(decoded.delays)})
        .first->second;
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
