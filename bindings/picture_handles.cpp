#include "bindings/picture_handles.hpp"

#include <cmath>
#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/path_argument.hpp"
#include "bindings/sprite_frames.hpp"
#include "bindings/text_argument.hpp"
#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"
#include "render/font_face.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// The engine is taken only once the arguments are converted: a path object's __fspath__ is
// Python code, which may replace the engine.
Sprite createSprite(double x, double y, const py::object& path, double width, double height, const py::object& frame,
                    const py::object& colorKey) {
    const SpritePicture picture = spritePicture(path, frame, colorKey);
    orv::OrvApp& app = requireEngine();
    const uint32_t id =
        namingPath([&] { return app.createSprite(x, y, picture.source, width, height, picture.framePart()); });
    const auto [w, h] = app.drawnSize(id);
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

// Puts the text's anchor point where the handle holds it, for the text's drawn size now.
void placeText(Text& t, orv::OrvApp& app) {
    const auto [w, h] = app.drawnSize(t.id);
    t.width = w;
    t.height = h;
    t.top_left = Point2D{t.at.x - t.anchor.offsetX(w), t.at.y - t.anchor.offsetY(h)};
    app.moveTo(t.id, t.top_left.x, t.top_left.y);
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
    handle.id = namingPath([&] { return app.createText(x, y, text.utf8, size, rgba, fontFile); });
    placeText(handle, app);
    return handle;
}

template <typename Handle>
void moveHandle(Handle& handle, double x, double y) {
    orv::OrvApp& app = requireEngine();
    handle.top_left = Point2D{x, y};
    app.moveTo(handle.id, x, y);
}

}  // namespace

void registerPictureClasses(py::module_& m) {
    py::class_<Sprite>(m, "Sprite", "A picture drawn from a file, made by createSprite.")
        .def_readonly("id", &Sprite::id, "The object's identifier.")
        .def_readonly("top_left", &Sprite::top_left, "Where the sprite's top-left corner was placed.")
        .def_readonly("width", &Sprite::width, "The drawn width in pixels.")
        .def_readonly("height", &Sprite::height, "The drawn height in pixels.")
        .def("moveTo", &moveHandle<Sprite>, py::arg("x"), py::arg("y"), "Places the sprite's top-left corner.")
        .def(
            "setLayer", [](const Sprite& s, int32_t layer) { requireEngine().setLayer(s.id, layer); },
            py::arg("layer"), "Puts the sprite on a layer: higher layers are drawn above lower ones.")
        .def(
            "resize",
            [](Sprite& s, double width, double height) {
                orv::OrvApp& app = requireEngine();
                if (!(width >= 0.0) || !(height >= 0.0) || !std::isfinite(width) || !std::isfinite(height)) {
                    throw py::value_error(
                        "a sprite's width and height must be finite and not negative (0: the picture's own)");
                }
                // As in createSprite, 0 is the picture's own size.
                const orv::AtlasRect picture = app.pictureOf(s.id);
                s.width = width == 0.0 ? (picture.width != 0 ? picture.width : s.width) : width;
                s.height = height == 0.0 ? (picture.height != 0 ? picture.height : s.height) : height;
                app.resizeObject(s.id, s.width, s.height);
                // Kept for another picture or frame: a size given stays, a 0 follows the picture.
                app.editSprite(s.id, [&](orv::GameObject& o) {
                    o.look.askedWidth = width;
                    o.look.askedHeight = height;
                });
            },
            py::arg("width"), py::arg("height"),
            "Draws the picture scaled to width by height pixels; 0 keeps the picture's own size.")
        .def("remove", [](const Sprite& s) { return requireEngine().removeObject(s.id); },
             "Removes the sprite; True when it was there.")
        .def("__repr__", [](const Sprite& s) { return "Sprite<" + std::to_string(s.id) + ">"; }, "Sprite<id>.");

    py::class_<Text>(m, "Text", "Text drawn in a font, made by createText.")
        .def_readonly("id", &Text::id, "The object's identifier.")
        .def_readonly("top_left", &Text::top_left, "Where the text's top-left corner is drawn.")
        .def_readonly("width", &Text::width, "The drawn width in pixels.")
        .def_readonly("height", &Text::height, "The drawn height in pixels.")
        .def_property_readonly(
            "text", [](const Text& t) { return t.text ? t.text : py::str(""); },
            "The text drawn (a lone surrogate in what was given reads as U+FFFD).")
        .def(
            "setText",
            [](Text& t, const TextArgument& text) {
                orv::OrvApp& app = requireEngine();
                app.setText(t.id, text.utf8);
                t.text = strOf(text.utf8);
                placeText(t, app);
            },
            py::arg("text"), "Draws other text in the same font, size and colour, its anchor point staying put.")
        .def(
            "setSize",
            [](Text& t, double size) {
                const std::string utf8 = t.text ? utf8OfText(t.text) : std::string();
                orv::OrvApp& app = requireEngine();
                app.setTextSize(t.id, utf8, size);
                placeText(t, app);
            },
            py::arg("size"), "Lays the text out again size pixels high (1 to 1000), its anchor point staying put.")
        .def(
            "setColor",
            [](const Text& t, const py::object& color) {
                const uint32_t rgba = colourArgument(color);
                requireEngine().setColour(t.id, rgba);
            },
            py::arg("color"), "Recolours the text: a colour such as '#rrggbbaa', 'red', (r, g, b, a) or 0xRRGGBB.")
        .def(
            "moveTo",
            [](Text& t, double x, double y) {
                orv::OrvApp& app = requireEngine();
                t.at = Point2D{x, y};
                placeText(t, app);
            },
            py::arg("x"), py::arg("y"), "Places the text's anchor point (its top-left corner unless createText said).")
        .def(
            "setLayer", [](const Text& t, int32_t layer) { requireEngine().setLayer(t.id, layer); },
            py::arg("layer"), "Puts the text on a layer: higher layers are drawn above lower ones.")
        .def("remove", [](const Text& t) { return requireEngine().removeObject(t.id); },
             "Removes the text; True when it was there.")
        .def("__repr__", [](const Text& t) { return "Text<" + std::to_string(t.id) + ">"; }, "Text<id>.");
}

void registerPictureFunctions(py::module_& m) {
    m.def("createSprite", &createSprite, py::arg("x"), py::arg("y"), py::arg("path"), py::arg("width") = 0.0,
          py::arg("height") = 0.0, py::kw_only(), py::arg("frame") = py::none(), py::arg("colorKey") = py::none(),
          "Draws the PNG, JPEG or GIF picture at path with its top-left corner at (x, y), at its own size or "
          "scaled to width by height (a zero keeps the picture's own). Transparent parts show what is below. "
          "frame: (x, y, width, height), the part of the picture to draw, in its pixels; path may be a Sheet, "
          "frame then its index (0 by default). colorKey: a colour whose exact RGB becomes transparent.");
    m.def("createText", &createText, py::arg("x"), py::arg("y"), py::arg("text"), py::arg("size"),
          py::arg("color") = py::none(), py::kw_only(), py::arg("font") = py::none(), py::arg("colour") = py::none(),
          py::arg("anchor") = "topleft", py::arg("bold") = false, py::arg("italic") = false,
          "Draws text (lines split at '\\n') with the point anchor of its drawn box (a name such as 'center', or "
          "a pixel offset (x, y) from its top-left corner) at (x, y), size pixels high, in a colour "
          "such as '#ffcc00', 'red' or (r, g, b, a) (the keyword colour is the same as color), in DejaVu Sans "
          "(bold, italic: its Bold, Oblique or BoldOblique style) or the TrueType/OpenType font file given as font "
          "(not with bold or italic).");
}

}  // namespace qel
