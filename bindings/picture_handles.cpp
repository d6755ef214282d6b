#include "bindings/picture_handles.hpp"

#include <cmath>
#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/handle_docs.hpp"
#include "bindings/handle_protocol.hpp"
#include "bindings/path_argument.hpp"
#include "bindings/sprite_frames.hpp"
#include "bindings/text_argument.hpp"
#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"
#include "render/font_face.hpp"

namespace py = pybind11;

namespace qel {

namespace {

const HandleDoc kSpriteDoc{"sprite", "sprite",
                            "    >>> import os, tempfile\n"
                            "    >>> path = os.path.join(tempfile.mkdtemp(), \"picture.png\")\n"
                            "    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save\n"
                            "    >>> qel.screenshot(path)\n"
                            "    >>> sprite = qel.createSprite(0, 0, path, 32, 24)\n"};
const HandleDoc kTextDoc{"text", "label", "    >>> label = qel.createText(160, 120, \"Ready\", 24, \"white\", anchor=\"center\")\n"};

// The engine is taken only once the arguments are converted: a path object's __fspath__ is
// Python code, which may replace the engine.
Sprite createSprite(double x, double y, const py::object& path, double width, double height, const py::object& frame,
                    const py::object& colorKey) {
    const SpritePicture picture = spritePicture(path, frame, colorKey);
    orv::OrvApp& app = requireEngine();
    const uint32_t id =
        namingPath([&] { return app.pictures().createSprite(x, y, picture.source, width, height, picture.framePart()); });
    const auto [w, h] = app.pictures().drawnSize(id);
    return Sprite{id, Point2D{x, y}, w, h};
}

// The str of text given as UTF-8 (bytes that do not decode read as U+FFFD).
py::object strOf(const std::string& utf8) {
    PyObject* text = PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), "replace");
    if (text == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::object>(text);
}

Text createText(double x, double y, const TextArgument& text, double size, const py::object& color,
                const py::object& font, const py::object& colour, const py::object& anchor, bool bold,
                bool italic) {
    // `colour` is the other spelling of `color`; None stands for not given.
    if (!color.is_none() && !colour.is_none()) {
        throw py::type_error("createText() got both color and colour: give one of them");
    }
    const py::object& given = color.is_none() ? colour : color;
    if (given.is_none()) {
        throw py::type_error("createText() needs a colour: color (or colour)");
    }
    if ((bold || italic) && !font.is_none()) {
        throw py::value_error("bold and italic choose a style of DejaVu Sans: with font, give the styled font file");
    }
    const uint32_t rgba = colourArgument(given);
    const Anchor held = anchorArgument(anchor);
    const std::string fontFile =
        font.is_none() ? (bold || italic ? orv::FontLibrary::styledFontPath(bold, italic) : std::string())
                       : pathArgument(font);
    Text handle;
    handle.anchor = held;
    handle.at = Point2D{x, y};
    handle.text = strOf(text.utf8);
    orv::OrvApp& app = requireEngine();
    handle.id = namingPath([&] { return app.pictures().createText(x, y, text.utf8, size, rgba, fontFile); });
    placeText(handle, app);
    return handle;
}

// The text's anchor point where it is now (qel.moveTo may have moved it), so laying it out
// again keeps that point put.
orv::OrvApp& heldInPlace(Text& t) {
    orv::OrvApp& app = liveEngine(t);
    t.at = textAnchorPoint(t, *app.scene().find(t.id));
    return app;
}

}  // namespace

void placeText(Text& t, orv::OrvApp& app) {
    const auto [w, h] = app.pictures().drawnSize(t.id);
    t.width = w;
    t.height = h;
    t.top_left = Point2D{t.at.x - t.anchor.offsetX(w), t.at.y - t.anchor.offsetY(h)};
    app.scene().moveTo(t.id, t.top_left.x, t.top_left.y);
}

Point2D textAnchorPoint(const Text& t, const orv::GameObject& object) {
    const auto box = orv::extentOf(object);
    return Point2D{object.x + t.anchor.offsetX(box[0]), object.y + t.anchor.offsetY(box[1])};
}

void registerPictureClasses(py::module_& m) {
    py::class_<Sprite>(m, "Sprite", R"doc(A picture drawn from a file, until it is removed.

createSprite returns one. It can be moved, scaled, turned, flipped, faded and tinted, and
show another picture or another frame of a sheet; collides and objectAt treat it where it is
drawn. Once it is removed, every member but id, alive and remove() raises RuntimeError
("Sprite 12 was removed").

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "picture.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> ship = qel.createSprite(100, 80, path, 32, 24)
    >>> ship.angle = 90
    >>> ship.scale = 2
    >>> ship.width, ship.height, ship.scale
    (32.0, 24.0, (2.0, 2.0))
    >>> ship.remove()
    True
)doc")
        .def_readonly("id", &Sprite::id, "int: Read-only. The object's identifier, for the functions that take one.")
        .def_property_readonly(
            "top_left",
            [](const Sprite& s) {
                const orv::GameObject& o = liveObject(s);
                return Point2D{o.x, o.y};
            },
            "Point2D: Read-only. Where the sprite's top-left corner is now (before it is turned or scaled), in "
            "pixels.")
        .def_property_readonly(
            "width", [](const Sprite& s) { return orv::extentOf(liveObject(s))[0]; },
            "float: Read-only. The drawn width in pixels, before scale.")
        .def_property_readonly(
            "height", [](const Sprite& s) { return orv::extentOf(liveObject(s))[1]; },
            "float: Read-only. The drawn height in pixels, before scale.")
        .def(
            "moveTo", [](const Sprite& s, double x, double y) { liveEngine(s).scene().moveTo(s.id, x, y); }, py::arg("x"),
            py::arg("y"),
             R"doc(Places the sprite's top-left corner (before it is turned or scaled) at (x, y).

Args:
    x (float): the new left edge, in pixels from the left.
    y (float): the new top edge, in pixels from the top.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once the sprite is removed.
    TypeError: when x or y is not a number.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "picture.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sprite = qel.createSprite(0, 0, path, 32, 24)
    >>> sprite.moveTo(200, 150)
    >>> sprite.top_left.x, sprite.top_left.y
    (200.0, 150.0)
    >>> sprite.remove()
    True
)doc")
        .def(
            "setLayer", [](const Sprite& s, int32_t layer) { liveEngine(s).scene().setLayerOf(s.id, layer); },
            py::arg("layer"),
            layerDoc(kSpriteDoc))
        .def(
            "resize",
            [](Sprite& s, double width, double height) {
                orv::OrvApp& app = liveEngine(s);
                if (!(width >= 0.0) || !(height >= 0.0) || !std::isfinite(width) || !std::isfinite(height)) {
                    throw py::value_error(
                        "a sprite's width and height must be finite and not negative (0: the picture's own)");
                }
                // As in createSprite, 0 is the picture's own size.
                const orv::AtlasRect picture = app.pictures().pictureOf(s.id);
                s.width = width == 0.0 ? (picture.width != 0 ? picture.width : s.width) : width;
                s.height = height == 0.0 ? (picture.height != 0 ? picture.height : s.height) : height;
                app.scene().resize(s.id, s.width, s.height);
                // Kept for another picture or frame: a size given stays, a 0 follows the picture.
                app.pictures().editSprite(s.id, [&](orv::GameObject&, orv::SpriteKind& k) {
                    k.look.askedWidth = width;
                    k.look.askedHeight = height;
                });
            },
            py::arg("width"), py::arg("height"),
            R"doc(Draws the picture at a new size, its top-left corner staying put.

The size given stays when the sprite shows another picture or frame; a 0 follows the
picture's (or frame's) own size.

Args:
    width (float): the new width in pixels, 0 or more; 0 is the picture's own width.
    height (float): the new height in pixels, 0 or more; 0 is the picture's own height.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when width or height is not a number.
    ValueError: when width or height is negative or not finite.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "picture.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sprite = qel.createSprite(0, 0, path, 32, 24)
    >>> sprite.resize(64, 0)
    >>> sprite.width, sprite.height
    (64.0, 240.0)
    >>> sprite.remove()
    True
)doc")
        .def("remove", [](const Sprite& s) { return requireEngine().pictures().remove(s.id); },
             removeDoc(kSpriteDoc))
        .def("__repr__", [](const Sprite& s) { return "Sprite<" + std::to_string(s.id) + ">"; }, R"doc(Shows the handle as Sprite<id>.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "picture.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> sprite = qel.createSprite(0, 0, path, 32, 24)
    >>> repr(sprite) == f"Sprite<{sprite.id}>"
    True
    >>> sprite.remove()
    True
)doc");

    py::class_<Text>(m, "Text", R"doc(Text drawn in a font, until it is removed.

createText returns one. Its words, size, colour and place can change; it stays put by the
anchor point createText gave it, so centred text stays centred.

Example:
    >>> score = qel.createText(160, 10, "Score: 0", 20, "white", anchor="top")
    >>> score.setText("Score: 120")
    >>> score.text
    'Score: 120'
    >>> score.remove()
    True
)doc")
        .def_readonly("id", &Text::id, "int: Read-only. The object's identifier, for the functions that take one.")
        .def_property_readonly(
            "top_left",
            [](const Text& t) {
                const orv::GameObject& o = liveObject(t);
                return Point2D{o.x, o.y};
            },
            "Point2D: Read-only. Where the text's top-left corner is drawn now, in pixels.")
        .def_property_readonly(
            "width", [](const Text& t) { return orv::extentOf(liveObject(t))[0]; }, "float: Read-only. The drawn width in pixels.")
        .def_property_readonly(
            "height", [](const Text& t) { return orv::extentOf(liveObject(t))[1]; },
            "float: Read-only. The drawn height in pixels.")
        .def_property_readonly(
            "text",
            [](const Text& t) {
                liveObject(t);
                return t.text ? t.text : py::str("");
            },
            "str: Read-only. The text drawn (a lone surrogate in what was given reads as U+FFFD).")
        .def(
            "setText",
            [](Text& t, const TextArgument& text) {
                orv::OrvApp& app = heldInPlace(t);
                app.pictures().setText(t.id, text.utf8);
                t.text = strOf(text.utf8);
                placeText(t, app);
            },
            py::arg("text"),
            R"doc(Draws other text in the same font, size and colour, its anchor point staying put.

Args:
    text (str): the new text; lines split at ``'\n'``.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when text is neither str nor bytes.

Example:
    >>> label = qel.createText(160, 120, "Ready", 24, "white", anchor="center")
    >>> label.setText("Go!")
    >>> label.text
    'Go!'
    >>> label.remove()
    True
)doc")
        .def(
            "setSize",
            [](Text& t, double size) {
                const std::string utf8 = t.text ? utf8OfText(t.text) : std::string();
                orv::OrvApp& app = heldInPlace(t);
                app.pictures().setTextSize(t.id, utf8, size);
                placeText(t, app);
            },
            py::arg("size"),
            R"doc(Lays the text out again at another size, its anchor point staying put.

Args:
    size (float): the new size in pixels, 1 to 1000 (the font's em height).

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when size is not a number.
    ValueError: when size is outside 1 to 1000.

Example:
    >>> label = qel.createText(160, 120, "Ready", 24, "white", anchor="center")
    >>> small = label.height
    >>> label.setSize(48)
    >>> label.height > small
    True
    >>> label.remove()
    True
)doc")
        .def(
            "setColor",
            [](const Text& t, const py::object& color) {
                const uint32_t rgba = colourArgument(color);
                liveEngine(t).scene().setColour(t.id, rgba);
            },
            py::arg("color"),
            colourDoc(kTextDoc, "(255, 200, 0)"))
        .def(
            "moveTo",
            [](Text& t, double x, double y) {
                orv::OrvApp& app = liveEngine(t);
                t.at = Point2D{x, y};
                placeText(t, app);
            },
            py::arg("x"), py::arg("y"),
            R"doc(Places the text's anchor point (its top-left corner unless createText said) at (x, y).

Args:
    x (float): the anchor point's new x, in pixels from the left.
    y (float): the anchor point's new y, in pixels from the top.

Returns:
    None

Raises:
    RuntimeError: before qel.init(), or once it is removed.
    TypeError: when x or y is not a number.

Example:
    >>> label = qel.createText(10, 10, "Paused", 20, "white")
    >>> label.moveTo(100, 50)
    >>> label.top_left.x, label.top_left.y
    (100.0, 50.0)
    >>> label.remove()
    True
)doc")
        .def(
            "setLayer", [](const Text& t, int32_t layer) { liveEngine(t).scene().setLayerOf(t.id, layer); },
            py::arg("layer"),
            layerDoc(kTextDoc))
        .def("remove", [](const Text& t) { return requireEngine().pictures().remove(t.id); },
             removeDoc(kTextDoc))
        .def("__repr__", [](const Text& t) { return "Text<" + std::to_string(t.id) + ">"; }, R"doc(Shows the handle as Text<id>.

Example:
    >>> label = qel.createText(160, 120, "Ready", 24, "white", anchor="center")
    >>> repr(label) == f"Text<{label.id}>"
    True
    >>> label.remove()
    True
)doc");
}

void registerPictureFunctions(py::module_& m) {
    m.def("createSprite", &createSprite, py::arg("x"), py::arg("y"), py::arg("path"), py::arg("width") = 0.0,
          py::arg("height") = 0.0, py::kw_only(), py::arg("frame") = py::none(), py::arg("colorKey") = py::none(),
          R"doc(Draws a picture from a PNG, JPEG or GIF file, or a frame of a Sheet.

Transparent parts show what is below. A file is loaded once, however many sprites show it.

Args:
    x (float): the left edge, in pixels from the left of the window.
    y (float): the top edge, in pixels from the top.
    path (str | bytes | os.PathLike | Sheet): the picture file, or a Sheet from loadSheet.
    width (float): the drawn width in pixels, 0 or more; 0, the default, is the picture's
        (or frame's) own width.
    height (float): the drawn height in pixels, 0 or more; 0, the default, is its own height.
    frame (tuple[int, int, int, int] | int | None): keyword only: with a file, the part of the
        picture to draw as (x, y, width, height) in its pixels; with a Sheet, the frame's
        index (negative from the end). Default None: the whole picture, or a sheet's frame 0.
    colorKey (str | tuple | int | None): keyword only: a colour whose exact RGB becomes
        transparent (not with a Sheet: give it to loadSheet). Default None.

Returns:
    Sprite: its handle.

Raises:
    RuntimeError: before qel.init(), or when the file cannot be read or decoded
        ("cannot load <path>: <reason>").
    TypeError: when path is not a path or Sheet, frame is of the wrong kind, or colorKey is
        given with a Sheet.
    IndexError: when a Sheet has no frame of that index.
    ValueError: when width or height is negative or not finite, frame is not 4 whole numbers
        inside the picture, colorKey is not a colour, or path holds a NUL character.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "picture.png")
    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save
    >>> qel.screenshot(path)
    >>> whole = qel.createSprite(0, 0, path)
    >>> whole.width, whole.height
    (320.0, 240.0)
    >>> corner = qel.createSprite(10, 10, path, frame=(0, 0, 16, 16), colorKey="black")
    >>> corner.width, corner.height
    (16.0, 16.0)
    >>> whole.remove(), corner.remove()
    (True, True)
)doc");
    m.def("createText", &createText, py::arg("x"), py::arg("y"), py::arg("text"), py::arg("size"),
          py::arg("color") = py::none(), py::kw_only(), py::arg("font") = py::none(), py::arg("colour") = py::none(),
          py::arg("anchor") = "topleft", py::arg("bold") = false, py::arg("italic") = false,
          R"doc(Draws text in DejaVu Sans, or in a font file, placed by a point of its box.

Lines split at ``'\n'``. The colour is given once, as color or as the keyword colour.

Args:
    x (float): where the anchor point goes, in pixels from the left.
    y (float): where the anchor point goes, in pixels from the top.
    text (str): the text.
    size (float): the size in pixels, 1 to 1000 (the font's em height).
    color (str | tuple | int): a colour: '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as
        'red', (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.
    font (str | bytes | os.PathLike | None): keyword only: a TrueType or OpenType font file
        (not with bold or italic). Default None: DejaVu Sans, shipped with qel.
    colour (str | tuple | int | None): keyword only: the same as color, for either spelling.
    anchor (str | tuple[float, float]): keyword only: the point of the text's box placed at
        (x, y): 'topleft', 'top', 'topright', 'left', 'center', 'right', 'bottomleft',
        'bottom', 'bottomright', or a pixel offset (x, y) from its top-left corner.
        Default 'topleft'.
    bold (bool): keyword only: DejaVu Sans Bold. Default False.
    italic (bool): keyword only: DejaVu Sans Oblique (BoldOblique with bold). Default False.

Returns:
    Text: its handle.

Raises:
    RuntimeError: before qel.init(), or when the font file cannot be loaded.
    TypeError: when no colour is given, or both color and colour are, or an argument is of
        the wrong type.
    ValueError: when size is outside 1 to 1000, the colour or anchor is not one, or bold or
        italic is given with font.

Example:
    >>> title = qel.createText(160, 20, "Level 1", 32, "gold", anchor="top", bold=True)
    >>> round(title.top_left.x + title.width / 2)
    160
    >>> title.text
    'Level 1'
    >>> title.remove()
    True
)doc");
}

}  // namespace qel
