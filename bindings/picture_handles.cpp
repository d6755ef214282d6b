#include "bindings/picture_handles.hpp"

#include <cmath>
#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/path_argument.hpp"
#include "bindings/sprite_frames.hpp"
#include "bindings/text_argument.hpp"
#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"

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

Text createText(double x, double y, const TextArgument& text, double size, const py::object& color,
                const py::object& font, const py::object& colour) {
    // `colour` is the other spelling of `color`; None stands for not given.
    if (!color.is_none() && !colour.is_none()) {
        throw py::type_error("createText() got both color and colour: give one of them");
    }
    const py::object& given = color.is_none() ? colour : color;
    if (given.is_none()) {
        throw py::type_error("createText() needs a colour: color (or colour)");
    }
    const uint32_t rgba = colourArgument(given);
    const std::string fontFile = font.is_none() ? std::string() : pathArgument(font);
    orv::OrvApp& app = requireEngine();
    const uint32_t id = namingPath([&] { return app.createText(x, y, text.utf8, size, rgba, fontFile); });
    const auto [w, h] = app.drawnSize(id);
    return Text{id, Point2D{x, y}, w, h};
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
        .def_readonly("top_left", &Text::top_left, "Where the text's top-left corner was placed.")
        .def_readonly("width", &Text::width, "The drawn width in pixels.")
        .def_readonly("height", &Text::height, "The drawn height in pixels.")
        .def(
            "setText",
            [](Text& t, const TextArgument& text) {
                orv::OrvApp& app = requireEngine();
                app.setText(t.id, text.utf8);
                const auto [w, h] = app.drawnSize(t.id);
                t.width = w;
                t.height = h;
            },
            py::arg("text"), "Draws other text in the same place, font, size and colour.")
        .def(
            "setColor",
            [](const Text& t, const py::object& color) {
                const uint32_t rgba = colourArgument(color);
                requireEngine().setColour(t.id, rgba);
            },
            py::arg("color"), "Recolours the text: a colour such as '#rrggbbaa', 'red', (r, g, b, a) or 0xRRGGBB.")
        .def("moveTo", &moveHandle<Text>, py::arg("x"), py::arg("y"), "Places the text's top-left corner.")
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
          "Draws text (lines split at '\\n') with its top-left corner at (x, y), size pixels high, in a colour "
          "such as '#ffcc00', 'red' or (r, g, b, a) (the keyword colour is the same as color), in DejaVu Sans or "
          "the TrueType/OpenType font file given as font.");
}

}  // namespace qel
