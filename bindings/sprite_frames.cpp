#include "bindings/sprite_frames.hpp"

#include <pybind11/stl.h>

#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/handle_protocol.hpp"
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
        return app.pictures().load(sheet.source);
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
    const auto [w, h] = app.pictures().drawnSize(sprite.id);
    if (app.pictures().sprite(sprite.id) != nullptr) {
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
    py::class_<Sheet>(m, "Sheet", R"doc(The frames of one picture, to draw with createSprite or show with Sprite.setFrame.

loadSheet returns one. len(sheet) counts the frames; sheet[i] and sheet.frame(i) give
frame i as (x, y, width, height) in the picture's pixels; delays gives each frame's seconds.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "sheet.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sheet = qel.loadSheet(path, 80, 60)
    >>> len(sheet), sheet[0], sheet[-1]
    (16, (0, 0, 80, 60), (240, 180, 80, 60))
)doc")
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
            py::arg("index"),
            R"doc(Gives a frame's place in the picture, as sheet[index] does.

Args:
    index (int): the frame's number from 0, row by row; negative counts from the end.

Returns:
    tuple[int, int, int, int]: (x, y, width, height) in the picture's pixels.

Raises:
    IndexError: when the sheet has no frame of that number.
    TypeError: when index is not an int.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "sheet.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sheet = qel.loadSheet(path, 80, 60)
    >>> sheet.frame(5)
    (80, 60, 80, 60)
)doc")
        .def_property_readonly(
            "delays", [](const Sheet& s) { return s.delays; },
            "list[float]: Read-only. The seconds each frame shows for, as an animated GIF says (0.0 for "
            "frames cut from a still picture).")
        .def("__repr__", [](const Sheet& s) { return "Sheet<" + std::to_string(s.frames.size()) + " frames>"; },
             R"doc(Shows the sheet as Sheet<N frames>.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "sheet.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> qel.loadSheet(path, 160, 120)
    Sheet<4 frames>
)doc");

    m.def("loadSheet", &loadSheet, py::arg("path"), py::arg("frame_width") = py::none(),
          py::arg("frame_height") = py::none(), py::kw_only(), py::arg("colorKey") = py::none(),
          R"doc(Loads a picture as a sheet of equal frames, or an animated GIF as its own frames.

With a frame size, the picture is cut row by row, left to right and top to bottom; what is
left at the right and bottom edges is no frame. Without one, an animated GIF gives its own
frames (each the whole canvas after that frame) and any other picture one frame. The
picture is loaded once, for every sprite that shows a frame of it.

Args:
    path (str | bytes | os.PathLike): a PNG, JPEG or GIF file.
    frame_width (int | None): a frame's width in pixels, above 0. Default None: no cutting.
    frame_height (int | None): a frame's height in pixels, above 0; given with frame_width.
        Default None.
    colorKey (str | tuple | int | None): keyword only: a colour whose exact RGB becomes
        transparent. Default None.

Returns:
    Sheet: the frames.

Raises:
    RuntimeError: before qel.init(), or when the file cannot be read or decoded
        ("cannot load <path>: <reason>").
    TypeError: when only one of frame_width and frame_height is given, either is not an
        int, or path is not a path.
    ValueError: when a frame size is not above 0 or is bigger than the picture, colorKey is
        not a colour, or path holds a NUL character.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "sheet.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sheet = qel.loadSheet(path, 32, 32, colorKey="#000000")
    >>> len(sheet)
    70
    >>> coin = qel.createSprite(100, 100, sheet, frame=3)
    >>> coin.width, coin.height
    (32.0, 32.0)
    >>> coin.remove()
    True
)doc");

    auto sprite = py::reinterpret_borrow<py::class_<Sprite>>(m.attr("Sprite"));
    sprite.def(
        "setImage",
        [](Sprite& s, const py::object& path, const py::object& frame, const py::object& colorKey) {
            const SpritePicture picture = spritePicture(path, frame, colorKey);
            orv::OrvApp& app = liveEngine(s);
            namingPath([&] { app.pictures().setImage(s.id, picture.source, picture.framePart()); });
            updateSize(s, app);
        },
        py::arg("path"), py::kw_only(), py::arg("frame") = py::none(), py::arg("colorKey") = py::none(),
        R"doc(Shows another picture in the same sprite: same place, layer, look and identifier.

It is drawn at its own size (or its frame's), except along an axis the sprite was given a
size for (createSprite's width or height, or resize), which stays.

Args:
    path (str | bytes | os.PathLike | Sheet): the picture file, or a Sheet.
    frame (tuple[int, int, int, int] | int | None): keyword only: with a file, the part to
        draw as (x, y, width, height) in its pixels; with a Sheet, the frame's index.
        Default None: the whole picture, or a sheet's frame 0.
    colorKey (str | tuple | int | None): keyword only: a colour whose exact RGB becomes
        transparent (not with a Sheet). Default None.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), once it is removed, or when the file cannot be read or decoded.
    TypeError: when path is not a path or Sheet, frame is of the wrong kind, or colorKey is
        given with a Sheet.
    IndexError: when a Sheet has no frame of that index.
    ValueError: when frame is not 4 whole numbers inside the picture, colorKey is not a
        colour, or path holds a NUL character.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "sheet.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sprite = qel.createSprite(0, 0, path, frame=(0, 0, 10, 10))
    >>> sprite.setImage(path, frame=(0, 0, 40, 20))
    >>> sprite.width, sprite.height
    (40.0, 20.0)
    >>> sprite.remove()
    True
)doc");
    sprite.def(
        "setFrame",
        [](Sprite& s, const py::object& frame, const py::object& index) {
            orv::OrvApp* app = nullptr;
            if (py::isinstance<Sheet>(frame)) {
                if (index.is_none()) {
                    throw py::type_error("setFrame(sheet, index) needs the frame's index");
                }
                const SpritePicture picture = spritePicture(frame, index, py::none());
                app = &liveEngine(s);
                namingPath([&] { app->pictures().setImage(s.id, picture.source, picture.framePart()); });
            } else {
                if (!index.is_none()) {
                    throw py::type_error("setFrame((x, y, width, height)) takes no index; setFrame(sheet, index) does");
                }
                const orv::AtlasRect part = frameArgument(frame);
                app = &liveEngine(s);
                app->pictures().setFrame(s.id, part);
            }
            updateSize(s, *app);
        },
        py::arg("frame"), py::arg("index") = py::none(),
        R"doc(Shows another part of a picture: a rectangle of the sprite's own, or a sheet's frame.

Nothing is loaded again: only the part drawn changes, drawn at its own size unless the
sprite was given one. Step index each frame to animate.

Args:
    frame (tuple[int, int, int, int] | Sheet): (x, y, width, height) in the pixels of the
        picture the sprite shows, or a Sheet.
    index (int | None): with a Sheet, the frame's index (negative from the end); not given
        with a rectangle. Default None.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when a Sheet comes without index, or a rectangle with one, or a value is of
        the wrong kind.
    IndexError: when the Sheet has no frame of that index.
    ValueError: when the rectangle is not 4 whole numbers inside the picture.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "sheet.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sheet = qel.loadSheet(path, 80, 60)
    >>> walker = qel.createSprite(50, 50, sheet)
    >>> walker.setFrame(sheet, 1)
    >>> walker.setFrame((0, 0, 8, 8))
    >>> walker.width, walker.height
    (8.0, 8.0)
    >>> walker.remove()
    True
)doc");
}

}  // namespace qel
