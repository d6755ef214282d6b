#include "bindings/handle_protocol.hpp"

#include <stdexcept>
#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/drawn_shape_handles.hpp"
#include "bindings/handle_docs.hpp"
#include "bindings/module_state.hpp"
#include "bindings/picture_handles.hpp"
#include "bindings/shape_handles.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

// What differs between kinds: where the point the handle is placed by lies (its own anchor
// convention), how it is placed there, and where its colour is kept. The defaults suit a
// record placed by the scene's (x, y); kinds that differ specialise a member below.
template <typename Handle>
struct Kind {
    static Point2D pos(const Handle&, const orv::GameObject& o) { return Point2D{o.x, o.y}; }
    static void place(Handle& h, orv::OrvApp& app, double x, double y) { app.scene().moveTo(h.id, x, y); }
    // Packed RGBA, red in the low byte (a sprite's tint).
    static uint32_t colour(const orv::GameObject& o) { return o.colour; }
    static void paint(const Handle& h, orv::OrvApp& app, uint32_t rgba) { app.scene().setColour(h.id, rgba); }
};

// The specified handles keep their snapshot in step when they are placed, as Rectangle.moveTo does.
template <>
void Kind<Circle>::place(Circle& c, orv::OrvApp& app, double x, double y) {
    c.center = Point2D{x, y};
    app.scene().moveTo(c.id, x, y);
}

template <>
void Kind<Rectangle>::place(Rectangle& r, orv::OrvApp& app, double x, double y) {
    r.top_left = Point2D{x, y};
    app.scene().moveTo(r.id, x, y);
}

// A text is placed by the anchor point createText gave it.
template <>
Point2D Kind<Text>::pos(const Text& t, const orv::GameObject& o) {
    return textAnchorPoint(t, o);
}

template <>
void Kind<Text>::place(Text& t, orv::OrvApp& app, double x, double y) {
    t.at = Point2D{x, y};
    placeText(t, app);
}

py::tuple colourTuple(uint32_t rgba) {
    return py::make_tuple(rgba & 0xFFu, rgba >> 8 & 0xFFu, rgba >> 16 & 0xFFu, rgba >> 24);
}

// A Point2D, or a sequence of two numbers.
Point2D pointArgument(const py::handle& value, const char* what) {
    if (py::isinstance<Point2D>(value)) {
        return value.cast<Point2D>();
    }
    if (!PyUnicode_Check(value.ptr()) && !PyBytes_Check(value.ptr()) && PySequence_Check(value.ptr())) {
        const py::object items = py::reinterpret_steal<py::object>(PySequence_Tuple(value.ptr()));
        if (!items) {
            throw py::error_already_set();
        }
        if (PyTuple_GET_SIZE(items.ptr()) == 2) {
            py::detail::make_caster<double> x;
            py::detail::make_caster<double> y;
            if (x.load(PyTuple_GET_ITEM(items.ptr(), 0), true) && y.load(PyTuple_GET_ITEM(items.ptr(), 1), true)) {
                return Point2D{static_cast<double>(x), static_cast<double>(y)};
            }
        }
    }
    throw py::type_error(std::string(what) + " is a pair of numbers (x, y), not " +
                         std::string(py::str(py::type::of(value).attr("__name__"))));
}

// The nine points of a box, as pygame's Rect names them, by fractions of its width and height.
struct AnchorPoint {
    const char* name;
    double fx;
    double fy;
    const char* where;
};
constexpr AnchorPoint kAnchorPoints[] = {
    {"topleft", 0.0, 0.0, "top-left corner"},        {"midtop", 0.5, 0.0, "middle of the top edge"},
    {"topright", 1.0, 0.0, "top-right corner"},      {"midleft", 0.0, 0.5, "middle of the left edge"},
    {"center", 0.5, 0.5, "centre"},                  {"midright", 1.0, 0.5, "middle of the right edge"},
    {"bottomleft", 0.0, 1.0, "bottom-left corner"},  {"midbottom", 0.5, 1.0, "middle of the bottom edge"},
    {"bottomright", 1.0, 1.0, "bottom-right corner"},
};

struct KindDoc {
    HandleDoc handle;
    std::string anchor;  // where its pos lies, as prose
    std::string kind;    // as the RuntimeError names it
};

std::string raisesRemoved(const KindDoc& k) {
    return "Raises:\n    RuntimeError: once the " + k.handle.noun + " is removed (\"" + k.kind +
           " 12 was removed\"), or before qel.init().\n";
}

std::string example(const KindDoc& k, const std::string& lines) {
    return "Example:\n" + k.handle.create + lines + "    >>> " + k.handle.var + ".remove()\n    True\n";
}

std::string propertyDoc(const KindDoc& k, const std::string& head, const std::string& lines) {
    return head + "\n\n" + raisesRemoved(k) + "\n" + example(k, lines);
}

// Wraps the setter so a wrong type reads "x(): incompatible function arguments ... value".
template <typename Handle, typename Get, typename Set>
void property(py::class_<Handle>& cls, const char* name, Get get, Set set, const std::string& doc) {
    cls.def_property(name, get, py::cpp_function(set, py::name(name), py::is_method(cls), py::arg("value")),
                     keepDoc(doc));
}

template <typename Handle>
void place(Handle& h, orv::OrvApp& app, const Point2D& at) {
    Kind<Handle>::place(h, app, at.x, at.y);
}

template <typename Handle>
Point2D posOf(const Handle& h) {
    return Kind<Handle>::pos(h, liveObject(h));
}

template <typename Handle>
void addProtocol(py::module_& m, const char* name, const KindDoc& k, bool box) {
    auto cls = py::reinterpret_borrow<py::class_<Handle>>(m.attr(name));
    const std::string& v = k.handle.var;
    const std::string& noun = k.handle.noun;
    const bool ownMoveTo = py::hasattr(cls, "moveTo");
    const bool ownSetColor = py::hasattr(cls, "setColor");

    cls.def_property_readonly(
        "alive", [](const Handle& h) { return isAlive(h.id); },
        keepDoc("bool: Read-only. True while the " + noun + " is in the scene; False once it is removed (by " +
                "remove() or qel.removeObject) or once qel.init() started another engine.\n\n" +
                "Example:\n" + k.handle.create + "    >>> " + v + ".alive\n    True\n    >>> " + v +
                ".remove()\n    True\n    >>> " + v + ".alive\n    False\n"));
    property(
        cls, "x", [](const Handle& h) { return posOf(h).x; },
        [](Handle& h, const py::object& value) {
            const double x = numberArgument(value, "x");
            orv::OrvApp& app = liveEngine(h);
            place(h, app, Point2D{x, Kind<Handle>::pos(h, *app.scene().find(h.id)).y});
        },
        propertyDoc(k, "float: Read/write. The x of the " + noun + "'s " + k.anchor +
                           " where it is drawn now, in pixels; setting it moves the " + noun + ".",
                    "    >>> " + v + ".x = 30\n    >>> round(" + v + ".x)\n    30\n"));
    property(
        cls, "y", [](const Handle& h) { return posOf(h).y; },
        [](Handle& h, const py::object& value) {
            const double y = numberArgument(value, "y");
            orv::OrvApp& app = liveEngine(h);
            place(h, app, Point2D{Kind<Handle>::pos(h, *app.scene().find(h.id)).x, y});
        },
        propertyDoc(k, "float: Read/write. The y of the " + noun + "'s " + k.anchor +
                           " where it is drawn now, in pixels; setting it moves the " + noun + ".",
                    "    >>> " + v + ".y = 40\n    >>> round(" + v + ".y)\n    40\n"));
    property(
        cls, "pos", [](const Handle& h) { return posOf(h); },
        [](Handle& h, const py::object& value) {
            const Point2D at = pointArgument(value, "pos");
            place(h, liveEngine(h), at);
        },
        propertyDoc(k, "Point2D: Read/write. The " + noun + "'s " + k.anchor +
                           " where it is drawn now (moved by any means), in pixels; set it as a Point2D or a "
                           "pair (x, y).",
                    "    >>> " + v + ".pos = (30, 40)\n    >>> " + v + ".pos\n    (30, 40)\n"));
    if (!ownMoveTo) {
        cls.def(
            "moveTo", [](Handle& h, double x, double y) { place(h, liveEngine(h), Point2D{x, y}); }, py::arg("x"),
            py::arg("y"),
            keepDoc("Places the " + noun + "'s " + k.anchor + " at (x, y), on screen and in the handle.\n\n" +
                    "Args:\n    x (float): pixels from the left.\n    y (float): pixels from the top.\n\n" +
                    "Returns:\n    None\n\n" + raisesRemoved(k) + "    TypeError: when x or y is not a number.\n\n" +
                    example(k, "    >>> " + v + ".moveTo(30, 40)\n    >>> " + v + ".pos\n    (30, 40)\n")));
    }
    cls.def(
        "moveBy",
        [](Handle& h, double dx, double dy) {
            orv::OrvApp& app = liveEngine(h);
            const Point2D at = Kind<Handle>::pos(h, *app.scene().find(h.id));
            place(h, app, Point2D{at.x + dx, at.y + dy});
        },
        py::arg("dx"), py::arg("dy"),
        keepDoc("Moves the " + noun + " by (dx, dy) from where it is drawn now.\n\n" +
                "Args:\n    dx (float): pixels to the right.\n    dy (float): pixels down.\n\n" +
                "Returns:\n    None\n\n" + raisesRemoved(k) + "    TypeError: when dx or dy is not a number.\n\n" +
                example(k, "    >>> " + v + ".moveTo(30, 40)\n    >>> " + v + ".moveBy(5, -10)\n    >>> " + v +
                               ".pos\n    (35, 30)\n")));
    property(
        cls, "color", [](const Handle& h) { return colourTuple(Kind<Handle>::colour(liveObject(h))); },
        [](const Handle& h, const py::object& value) {
            const uint32_t rgba = colourArgument(value);
            Kind<Handle>::paint(h, liveEngine(h), rgba);
        },
        propertyDoc(k, std::string("tuple[int, int, int, int]: Read/write. The ") +
                           (std::string(name) == "Sprite" ? "sprite's tint, multiplied into its picture" :
                                                            noun + "'s colour") +
                           ", read as (r, g, b, a) of 0 to 255. Set any colour: '#rgb', '#rrggbb', "
                           "'#rrggbbaa', a CSS name such as 'red', (r, g, b) or (r, g, b, a), or an int 0xRRGGBB.",
                    "    >>> " + v + ".color = \"red\"\n    >>> " + v + ".color\n    (255, 0, 0, 255)\n"));
    if (!ownSetColor) {
        cls.def(
            "setColor",
            [](const Handle& h, const py::object& color) {
                const uint32_t rgba = colourArgument(color);
                Kind<Handle>::paint(h, liveEngine(h), rgba);
            },
            py::arg("color"),
            keepDoc("Tints the " + noun + ": the colour is multiplied into its picture, as setting color does.\n\n" +
                    "Args:\n    color (str | tuple | int): '#rgb', '#rrggbb', '#rrggbbaa', a CSS name such as\n"
                    "        'red', (r, g, b) or (r, g, b, a) of 0 to 255, or an int 0xRRGGBB.\n\n" +
                    "Returns:\n    None\n\n" + raisesRemoved(k) + "    ValueError: when color is not a colour.\n\n" +
                    example(k, "    >>> " + v + ".setColor(\"red\")\n    >>> " + v +
                                   ".color\n    (255, 0, 0, 255)\n")));
    }
    property(
        cls, "visible", [](const Handle& h) { return liveObject(h).visible; },
        [](const Handle& h, bool visible) { liveEngine(h).scene().setVisible(h.id, visible); },
        propertyDoc(k, "bool: Read/write. False hides the " + noun +
                           ": it keeps its place, colour and layer but is neither drawn nor found by objectAt, "
                           "objectsIn, overlapping or collides. Default True.",
                    "    >>> " + v + ".visible = False\n    >>> " + v + ".visible\n    False\n"));
    property(
        cls, "layer", [](const Handle& h) { return liveObject(h).layer; },
        [](const Handle& h, int32_t layer) { liveEngine(h).scene().setLayerOf(h.id, layer); },
        propertyDoc(k, "int: Read/write. The " + noun +
                           "'s layer, as setLayer sets it: higher layers are drawn above lower ones. Default 0.",
                    "    >>> " + v + ".layer = 2\n    >>> " + v + ".layer\n    2\n"));
    if (!box) {
        return;
    }
    // Pygame Zero's placement by the points of the box (unturned, unscaled): reading one reads
    // where that point is now; setting one moves the box so that the point is there.
    for (const AnchorPoint& a : kAnchorPoints) {
        const double fx = a.fx;
        const double fy = a.fy;
        property(
            cls, a.name,
            [fx, fy](const Handle& h) {
                const orv::GameObject& o = liveObject(h);
                return Point2D{o.x + fx * orv::extentOf(o)[0], o.y + fy * orv::extentOf(o)[1]};
            },
            [fx, fy, point = a.name](Handle& h, const py::object& value) {
                const Point2D to = pointArgument(value, point);
                orv::OrvApp& app = liveEngine(h);
                const orv::GameObject& o = *app.scene().find(h.id);
                const Point2D at = Kind<Handle>::pos(h, o);
                const Point2D from{o.x + fx * orv::extentOf(o)[0], o.y + fy * orv::extentOf(o)[1]};
                place(h, app, Point2D{at.x + to.x - from.x, at.y + to.y - from.y});
            },
            propertyDoc(k, std::string("Point2D: Read/write. The ") + a.where + " of the " + noun +
                               "'s box (before it is turned" + (std::string(name) == "Sprite" ? " or scaled" : "") +
                               "), in pixels; setting it moves the " + noun + " so that the point is there.",
                        "    >>> " + v + "." + a.name + " = (100, 100)\n    >>> " + v + "." + a.name +
                            "\n    (100, 100)\n"));
    }
}

}  // namespace

double numberArgument(const py::handle& value, const char* what) {
    py::detail::make_caster<double> number;
    if (!number.load(value, true)) {
        throw py::type_error(std::string(what) + " is a number, not " +
                             std::string(py::str(py::type::of(value).attr("__name__"))));
    }
    return static_cast<double>(number);
}

orv::OrvApp& liveEngine(const char* kind, uint32_t id) {
    orv::OrvApp& app = requireEngine();
    if (app.scene().find(id) == nullptr) {
        throw std::runtime_error(std::string(kind) + " " + std::to_string(id) + " was removed");
    }
    return app;
}

const orv::GameObject& liveObject(const char* kind, uint32_t id) {
    return *liveEngine(kind, id).scene().find(id);
}

bool isAlive(uint32_t id) {
    return engine && !engineBelongsToParent() && engine->scene().find(id) != nullptr;
}

void registerHandleProtocol(py::module_& m) {
    const std::string sprite = "    >>> import os, tempfile\n"
                               "    >>> path = os.path.join(tempfile.mkdtemp(), \"picture.png\")\n"
                               "    >>> _ = qel.nextFrame()  # draws the window: a 320 by 240 picture to save\n"
                               "    >>> qel.screenshot(path)\n"
                               "    >>> sprite = qel.createSprite(0, 0, path, 32, 24)\n";
    // The variable, the lines that make one and where its pos lies, for the examples and prose.
    const KindDoc circle{{"circle", "c", "    >>> c = qel.createCircle(50, 50, 10, \"#ffffff\", 0)\n"}, "centre",
                         Circle::kKind};
    const KindDoc rectangle{{"rectangle", "r", "    >>> r = qel.createRectangle(10, 10, 20, 20, \"#ffffff\", 0)\n"},
                            "top-left corner", Rectangle::kKind};
    const KindDoc line{{"line", "line", "    >>> line = qel.createLine(0, 0, 50, 50)\n"}, "first end", Line::kKind};
    const KindDoc polygon{{"polygon", "tri", "    >>> tri = qel.createTriangle(10, 10, 60, 10, 10, 60, \"orange\")\n"},
                          "offset from the points it was given (moveTo's shift)", Polygon::kKind};
    const KindDoc picture{{"sprite", "sprite", sprite}, "top-left corner (before it is turned or scaled)",
                          Sprite::kKind};
    const KindDoc text{
        {"text", "label", "    >>> label = qel.createText(160, 120, \"Ready\", 24, \"white\", anchor=\"center\")\n"},
        "anchor point (the point of its box createText placed)", Text::kKind};
    const KindDoc ellipse{{"ellipse", "oval", "    >>> oval = qel.createEllipse(60, 40, 30, 15, \"orange\")\n"}, "centre",
                          Ellipse::kKind};
    addProtocol<Circle>(m, "Circle", circle, false);
    addProtocol<Rectangle>(m, "Rectangle", rectangle, true);
    addProtocol<Line>(m, "Line", line, false);
    addProtocol<Polygon>(m, "Polygon", polygon, false);
    addProtocol<Sprite>(m, "Sprite", picture, true);
    addProtocol<Text>(m, "Text", text, true);
    addProtocol<Ellipse>(m, "Ellipse", ellipse, false);
}

}  // namespace qel
