#include "bindings/sprite_frames.hpp"

#include <pybind11/stl.h>

#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/module_state.hpp"
#include "bindings/path_argument.hpp"
#include "bindings/picture_handles.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// (x, y, width, height) in the picture's pixels: four whole numbers, none negative.
orv::AtlasRect frameArgument(const py::handle& frame) {
    if (!py::isinstance<py::tuple>(frame) && !py::isinstance<py::list>(frame)) {
        throw py::type_error("a frame is (x, y, width, height) in the picture's pixels, not " +
                             std::string(py::str(py::type::of(frame).attr("__name__"))));
    }
    const py::sequence parts = py::reinterpret_borrow<py::sequence>(frame);
    if (parts.size() != 4) {
        throw py::value_error("a frame is (x, y, width, height): 4 numbers, not " + std::to_string(parts.size()));
    }
    uint32_t values[4] = {};
    for (size_t i = 0; i < 4; ++i) {
        const py::object part = parts[i];
        if (!py::isinstance<py::int_>(part)) {
            throw py::type_error("a frame's x, y, width and height are whole numbers of pixels");
        }
        const long long value = part.cast<long long>();
        if (value < 0 || value > 0xFFFFFFFFll) {
            throw py::value_error("a frame's x, y, width and height must be from 0 to 4294967295, not " +
                                  std::to_string(value));
        }
        values[i] = static_cast<uint32_t>(value);
    }
    return orv::AtlasRect{values[0], values[1], values[2], values[3]};
}

// Index `i` of `count`, negative from the end as Python counts.
size_t indexArgument(const py::handle& index, size_t count) {
    if (!py::isinstance<py::int_>(index)) {
        throw py::type_error("a sheet's frames are numbered by whole numbers");
    }
    const long long i = index.cast<long long>();
    const long long n = static_cast<long long>(count);
    if (i < -n || i >= n) {
        throw py::index_error("frame " + std::to_string(i) + " is not in a sheet of " + std::to_string(count) +
                              " frames");
    }
    return static_cast<size_t>(i < 0 ? i + n : i);
}

py::tuple frameTuple(const orv::AtlasRect& r) {
    return py::make_tuple(r.x, r.y, r.width, r.height);
}

// colorKey: None, or a colour whose RGB becomes transparent.
void keyArgument(const py::handle& colorKey, orv::PictureSource& source) {
    if (colorKey.is_none()) {
        return;
    }
    const uint32_t rgba = colourArgument(colorKey);
    source.keyed = true;
    source.colorKey = (rgba & 0xFFu) << 16 | (rgba & 0xFF00u) | (rgba >> 16 & 0xFFu);
}

Sheet loadSheet(const py::object& path, const py::object& frameWidth, const py::object& frameHeight,
                const py::object& colorKey) {
    Sheet sheet;
    sheet.source.path = pathArgument(path);
    keyArgument(colorKey, sheet.source);
    if (frameWidth.is_none() != frameHeight.is_none()) {
        throw py::type_error("loadSheet() needs both frame_width and frame_height, or neither");
    }
    long long fw = 0;
    long long fh = 0;
    if (!frameWidth.is_none()) {
        if (!py::isinstance<py::int_>(frameWidth) || !py::isinstance<py::int_>(frameHeight)) {
            throw py::type_error("a sheet's frame_width and frame_height are whole numbers of pixels");
        }
        fw = frameWidth.cast<long long>();
        fh = frameHeight.cast<long long>();
        if (fw <= 0 || fh <= 0) {
            throw py::value_error("a sheet's frame_width and frame_height must be above 0");
        }
    }
    // Without a frame size, an animated GIF gives its own frames.
    sheet.source.allFrames = fw == 0;
    orv::OrvApp& app = requireEngine();
    const orv::PictureLibrary::Picture& picture = namingPath([&]() -> const orv::PictureLibrary::Picture& {
        return app.loadPicture(sheet.source);
    });
    if (fw == 0) {
        // A still picture's sheet names it as sprites do.
        sheet.source.allFrames = picture.frames.size() > 1;
        sheet.frames = picture.frames;
        sheet.delays = picture.delays;
        return sheet;
    }
    const long long width = picture.rect.width;
    const long long height = picture.rect.height;
    if (fw > width || fh > height) {
        throw py::value_error("frames of " + std::to_string(fw) + " by " + std::to_string(fh) +
                              " pixels do not fit in the picture's " + std::to_string(width) + " by " +
                              std::to_string(height));
    }
    for (long long y = 0; y + fh <= height; y += fh) {
        for (long long x = 0; x + fw <= width; x += fw) {
            sheet.frames.push_back(orv::AtlasRect{static_cast<uint32_t>(x), static_cast<uint32_t>(y),
                                                  static_cast<uint32_t>(fw), static_cast<uint32_t>(fh)});
        }
    }
    sheet.delays.assign(sheet.frames.size(), 0.0);
    return sheet;
}

void updateSize(Sprite& sprite, orv::OrvApp& app) {
    const auto [w, h] = app.drawnSize(sprite.id);
    if (app.sprite(sprite.id) != nullptr) {
        sprite.width = w;
        sprite.height = h;
    }
}

}  // namespace

SpritePicture spritePicture(const py::handle& path, const py::handle& frame, const py::handle& colorKey) {
    SpritePicture picture;
    if (py::isinstance<Sheet>(path)) {
        const Sheet& sheet = path.cast<const Sheet&>();
        if (!colorKey.is_none()) {
            throw py::type_error("a sheet has its own colorKey (given to loadSheet)");
        }
        picture.source = sheet.source;
        picture.framed = true;
        picture.frame = sheet.frames.at(frame.is_none() ? 0 : indexArgument(frame, sheet.frames.size()));
        return picture;
    }
    picture.source.path = pathArgument(path);
    keyArgument(colorKey, picture.source);
    if (!frame.is_none()) {
        picture.framed = true;
        picture.frame = frameArgument(frame);
    }
    return picture;
}

void registerSpriteFrames(py::module_& m) {
    py::class_<Sheet>(m, "Sheet",
                      "Frames of a picture, made by loadSheet: len(sheet), sheet[i] or sheet.frame(i) give frame i "
                      "as (x, y, width, height) in the picture's pixels; delays gives each frame's seconds.")
        .def("__len__", [](const Sheet& s) { return s.frames.size(); })
        .def(
            "__getitem__",
            [](const Sheet& s, const py::object& index) {
                return frameTuple(s.frames[indexArgument(index, s.frames.size())]);
            },
            py::arg("index"))
        .def(
            "frame",
            [](const Sheet& s, const py::object& index) {
                return frameTuple(s.frames[indexArgument(index, s.frames.size())]);
            },
            py::arg("index"), "Frame index (negative from the end) as (x, y, width, height); IndexError beyond.")
        .def_property_readonly(
            "delays", [](const Sheet& s) { return s.delays; },
            "Seconds each frame shows for, as the GIF says (0 for a still picture).")
        .def("__repr__", [](const Sheet& s) { return "Sheet<" + std::to_string(s.frames.size()) + " frames>"; },
             "Sheet<N frames>.");

    m.def("loadSheet", &loadSheet, py::arg("path"), py::arg("frame_width") = py::none(),
          py::arg("frame_height") = py::none(), py::kw_only(), py::arg("colorKey") = py::none(),
          "Loads the picture at path (PNG, JPEG or GIF) as frames of frame_width by frame_height pixels, cut "
          "row by row, left to right and top to bottom (what is left at the right and bottom edges is no frame). "
          "Without a frame size, an animated GIF gives its own frames, each the whole canvas after that frame, "
          "and any other picture one frame. colorKey: a colour whose exact RGB becomes transparent.");

    auto sprite = py::reinterpret_borrow<py::class_<Sprite>>(m.attr("Sprite"));
    sprite.def(
        "setImage",
        [](Sprite& s, const py::object& path, const py::object& frame, const py::object& colorKey) {
            const SpritePicture picture = spritePicture(path, frame, colorKey);
            orv::OrvApp& app = requireEngine();
            namingPath([&] { app.setImage(s.id, picture.source, picture.framePart()); });
            updateSize(s, app);
        },
        py::arg("path"), py::kw_only(), py::arg("frame") = py::none(), py::arg("colorKey") = py::none(),
        "Draws another picture (a path, or a Sheet with frame its index) in the same place, layer and identifier. "
        "It is drawn at its own size (or its frame's), except along an axis the sprite was given a size for "
        "(createSprite's width or height, or resize), which stays. frame: (x, y, width, height) of the picture "
        "to draw; colorKey: a colour whose exact RGB becomes transparent.");
    sprite.def(
        "setFrame",
        [](Sprite& s, const py::object& frame, const py::object& index) {
            orv::OrvApp* app = nullptr;
            if (py::isinstance<Sheet>(frame)) {
                if (index.is_none()) {
                    throw py::type_error("setFrame(sheet, index) needs the frame's index");
                }
                const SpritePicture picture = spritePicture(frame, index, py::none());
                app = &requireEngine();
                namingPath([&] { app->setImage(s.id, picture.source, picture.framePart()); });
            } else {
                if (!index.is_none()) {
                    throw py::type_error("setFrame((x, y, width, height)) takes no index; setFrame(sheet, index) does");
                }
                const orv::AtlasRect part = frameArgument(frame);
                app = &requireEngine();
                app->setFrame(s.id, part);
            }
            updateSize(s, *app);
        },
        py::arg("frame"), py::arg("index") = py::none(),
        "Draws a part of the picture: setFrame((x, y, width, height)) in the picture's pixels, or "
        "setFrame(sheet, index) for a sheet's frame (negative from the end). No picture is loaded again: only "
        "the part drawn changes, at its own size unless the sprite was given one.");
}

}  // namespace qel
