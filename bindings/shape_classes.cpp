#include "bindings/shape_classes.hpp"

#include <deque>
#include <iostream>
#include <string>

#include "bindings/handle_protocol.hpp"
#include "bindings/module_state.hpp"
#include "bindings/python_output.hpp"
#include "bindings/scene_functions.hpp"
#include "bindings/shape_handles.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

py::tuple pairOf(const Point2D& p) {
    return py::make_tuple(p.x, p.y);
}

void display(const Point2D& point) {
    withOutput([&] { std::cout << formatPoint(point) << std::endl; });
}

// The step moves read the handle's step clock and the area shapes stay in, then push the
// new position.
template <typename Handle, typename StepFn>
void stepAndMove(Handle& handle, const Point2D& position, Step step, StepFn stepFn) {
    orv::OrvApp& app = requireEngine();
    const double W = static_cast<double>(truncateSize(windowWidth));
    const double H = static_cast<double>(truncateSize(windowHeight));
    const double dt = handle.steps.take(step, frameClock.now(), app.frameSeconds());
    // The window's area, or with a camera the world area it shows.
    StepArea area;
    app.scene().view.camera.visibleArea(W, H, area.left, area.top, area.right, area.bottom);
    area.camera = !app.scene().view.camera.isDefault();
    stepFn(handle, step, dt, area);
    app.scene().moveTo(handle.id, position.x, position.y);
}

// The eight step moves' docstrings: only the shape, the direction and where the example's
// shape ends up differ. pybind11 keeps the pointer, so the texts live as long as the module.
const char* stepDoc(const std::string& cls, const std::string& direction, const std::string& result) {
    static std::deque<std::string> docs;
    const bool circle = cls == "Circle";
    const std::string shape = circle ? "circle" : "rectangle";
    const std::string field = circle ? "center" : "top_left";
    const std::string var = circle ? "c" : "r";
    const std::string create = circle ? "qel.createCircle(100, 100, 10, \"#ffffff\", 20)"
                                      : "qel.createRectangle(100, 100, 10, 10, \"#ffffff\", 20)";
    docs.push_back("Moves the " + shape + " " + direction + " by its speed times the time since its previous step " +
                   direction + ", at most\n``deltaTime()``, stopping where it would leave the window (or the area "
                   "the camera shows).\n\nUpdates the handle's " + field + " and the drawn " + shape +
                   ". A second step the same way before the next\nframe moves nothing, so a shape covers ``speed`` "
                   "pixels a second however often it steps.\n\nReturns:\n    None\n\nRaises:\n    RuntimeError: "
                   "before ``init`` (\"qel.init() must be called first\").\n\nExample:\n    >>> " + var + " = " +
                   create + "\n    >>> qel.setFixedStep(0.5)\n    >>> _ = qel.nextFrame()\n    >>> " + var + ".move" +
                   static_cast<char>(direction[0] - 'a' + 'A') + direction.substr(1) + "()\n    >>> " + var + "." +
                   field + "\n    " + result + "\n    >>> qel.setFixedStep(0)\n    >>> " + var +
                   ".remove()\n    True\n");
    return docs.back().c_str();
}

void moveCircle(Circle& c, Step step) {
    stepAndMove(c, c.center, step, stepCircle);
}

void moveRectangle(Rectangle& r, Step step) {
    stepAndMove(r, r.top_left, step, stepRectangle);
}

}  // namespace

void registerShapeClasses(py::module_& m) {
    py::class_<Point2D>(m, "Point2D", R"doc(A point in pixels: origin at the window's top-left corner, y down.

Made directly, or given by ``getCursor()`` and by the handles (``Circle.center``,
``Rectangle.top_left``, ``pos``). Shows as ``(x, y)``, whole numbers without decimals. It is
also the pair (x, y): it unpacks, indexes, has length 2, equals a tuple or list of the same
two numbers and hashes as that tuple does.

Example:
    >>> p = qel.Point2D(3, 4.5)
    >>> p
    (3, 4.5)
    >>> p.x += 1
    >>> p.x
    4.0
    >>> x, y = p
    >>> (x, y), p[1], len(p), p == (4, 4.5)
    ((4.0, 4.5), 4.5, 2, True)
)doc")
        .def(py::init([](double x, double y) { return Point2D{x, y}; }), py::arg("x"), py::arg("y"), py::pos_only(),
             R"doc(A point at (x, y).

Args:
    x (float): pixels from the left.
    y (float): pixels from the top.

Raises:
    TypeError: when x or y is not a number.
)doc")
        .def_readwrite("x", &Point2D::x, "float: pixels from the left edge; read and written.")
        .def_readwrite("y", &Point2D::y, "float: pixels from the top edge; read and written.")
        .def("__repr__", &formatPoint, "(x, y), with whole numbers shown without decimals.")
        // Beyond the members above: a point is also the pair (x, y).
        .def("__len__", [](const Point2D&) { return 2; }, "2: a point is the pair (x, y).")
        .def(
            "__getitem__",
            [](const Point2D& p, const py::object& index) {
                const py::tuple pair = pairOf(p);
                return py::object(pair[index]);
            },
            py::arg("index"), "p[0] is x, p[1] is y (and p[-1] is y), as in the tuple (x, y).")
        .def(
            "__iter__", [](const Point2D& p) { return py::iter(pairOf(p)); },
            "x, then y: ``x, y = qel.getCursor()`` unpacks a point.")
        .def(
            "__eq__",
            [](const Point2D& p, const py::object& other) -> py::object {
                if (py::isinstance<Point2D>(other)) {
                    const Point2D& q = other.cast<const Point2D&>();
                    return py::bool_(p.x == q.x && p.y == q.y);
                }
                if (py::isinstance<py::tuple>(other) || py::isinstance<py::list>(other)) {
                    return py::bool_(pairOf(p).equal(py::tuple(other)));
                }
                return py::reinterpret_borrow<py::object>(Py_NotImplemented);
            },
            py::arg("other"), "Equal to a Point2D, tuple or list holding the same two numbers.")
        .def(
            "__hash__", [](const Point2D& p) { return py::hash(pairOf(p)); },
            "The hash of the tuple (x, y), so a point and its equal tuple are one dictionary key.");

    py::class_<Circle>(m, "Circle", R"doc(The handle of a circle: its identifier, and where the script keeps it and how fast it moves.

Given by ``createCircle`` (``createDisc`` gives a ``Disc``, one of these). The set methods change the handle only;
``move()``, ``resize()`` and the step moves (``moveUp()`` and the like) change the drawn
circle too. Shows as ``Circle<id>``.

Example:
    >>> c = qel.createCircle(50, 60, 10, "#ff0000", 30)
    >>> c.setX(80)
    >>> c.move()
    >>> qel.objectAt(80, 60) == c.id
    True
    >>> c.remove()
    True
)doc")
        .def(py::init([](uint32_t id, const Point2D& center, double radius, double speed) {
                 return Circle{id, center, radius, speed};
             }),
             py::arg("id"), py::arg("center"), py::arg("radius"), py::arg("speed"), py::pos_only(),
             R"doc(A handle for the circle with identifier ``id``; ``createCircle`` makes both.

Args:
    id (int): the drawn circle's identifier.
    center (Point2D): the centre, in window pixels.
    radius (float): the radius in pixels.
    speed (float): the speed of the step moves, in pixels a second.

Raises:
    TypeError: when an argument has the wrong type.
)doc")
        .def_readonly("id", &Circle::id, "int: the drawn circle's identifier; read only.")
        .def_readonly("center", &Circle::center, "Point2D: the centre the handle holds, in pixels; read only (see setX).")
        .def_readonly("radius", &Circle::radius, "float: the radius the handle holds, in pixels; read only (see setRadius).")
        .def_readonly("speed", &Circle::speed, "float: the step moves' speed, in pixels a second; read only (see setSpeed).")
        .def("setX", [](Circle& c, double v) { c.center.x = v; }, py::arg("x"), py::pos_only(),
             R"doc(Sets the x of the handle's centre; ``move()`` draws the circle there.

Args:
    x (float): pixels from the left.

Returns:
    None

Raises:
    TypeError: when ``x`` is not a number.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setX(70)
    >>> c.center
    (70, 50)
    >>> c.remove()
    True
)doc")
        .def("setY", [](Circle& c, double v) { c.center.y = v; }, py::arg("y"), py::pos_only(),
             R"doc(Sets the y of the handle's centre; ``move()`` draws the circle there.

Args:
    y (float): pixels from the top.

Returns:
    None

Raises:
    TypeError: when ``y`` is not a number.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setY(90)
    >>> c.center
    (50, 90)
    >>> c.remove()
    True
)doc")
        .def("setRadius", [](Circle& c, double v) { c.radius = v; }, py::arg("radius"), py::pos_only(),
             R"doc(Sets the handle's radius; the drawn circle keeps its own (``resize`` changes both).

The step moves keep the circle inside the window by the handle's radius.

Args:
    radius (float): pixels.

Returns:
    None

Raises:
    TypeError: when ``radius`` is not a number.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setRadius(4)
    >>> c.radius
    4.0
    >>> c.remove()
    True
)doc")
        .def("setSpeed", [](Circle& c, double v) { c.speed = v; }, py::arg("speed"), py::pos_only(),
             R"doc(Sets the speed of the step moves.

Args:
    speed (float): pixels a second.

Returns:
    None

Raises:
    TypeError: when ``speed`` is not a number.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setSpeed(120)
    >>> c.speed
    120.0
    >>> c.remove()
    True
)doc")
        .def("setColor", [](const Circle& c, const std::string& color) { withOutput([&] { setColorById(c.id, color); }); },
             py::arg("colour"), py::pos_only(), R"doc(Recolours the drawn circle.

The colour text is printed as it is read, unless qel is quiet (see ``setQuiet``).

Args:
    colour (str): the colour as ``"#rrggbb"`` text.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the colour text is not ``#`` and hex digits ("invalid stoul argument").
    IndexError: when the colour text is empty.
    TypeError: when ``colour`` is not text.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setColor("#00ff00")
    >>> c.remove()
    True
)doc")
        .def("display", [](const Circle& c) { display(c.center); }, R"doc(Prints the handle's centre as ``(x, y)``.

Prints nothing when qel is quiet (see ``setQuiet``).

Returns:
    None

Example:
    >>> c = qel.createCircle(50, 60, 10, "#ffffff", 0)
    >>> qel.setQuiet(False)
    >>> c.display()
    (50, 60)
    >>> qel.setQuiet(True)
    >>> c.remove()
    True
)doc")
        .def("move", [](const Circle& c) { requireEngine().scene().moveTo(c.id, c.center.x, c.center.y); },
             R"doc(Draws the circle at the centre the handle holds.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setX(200)
    >>> c.move()
    >>> qel.objectAt(200, 50) == c.id
    True
    >>> c.remove()
    True
)doc")
        .def("moveUp", [](Circle& c) { moveCircle(c, Step::Up); },
             stepDoc("Circle", "up", "(100, 90)"))
        .def("moveDown", [](Circle& c) { moveCircle(c, Step::Down); },
             stepDoc("Circle", "down", "(100, 110)"))
        .def("moveLeft", [](Circle& c) { moveCircle(c, Step::Left); },
             stepDoc("Circle", "left", "(90, 100)"))
        .def("moveRight", [](Circle& c) { moveCircle(c, Step::Right); },
             stepDoc("Circle", "right", "(110, 100)"))
        .def("__repr__", [](const Circle& c) { return "Circle<" + std::to_string(c.id) + ">"; }, "Circle<id>.")
        // Beyond the methods above.
        .def("remove", [](const Circle& c) { return requireEngine().pictures().remove(c.id); },
             R"doc(Removes the drawn circle, as ``removeObject(id)`` does.

Returns:
    bool: True when the circle was there, False when it was removed already.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.remove(), c.remove()
    (True, False)
)doc")
        .def(
            "resize",
            [](Circle& c, double radius) {
                orv::OrvApp& app = liveEngine(c);
                c.radius = radius;
                app.scene().resize(c.id, radius, 0.0);
            },
            py::arg("radius"), R"doc(Sets the radius of the handle and of the drawn circle.

Args:
    radius (float): pixels.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``radius`` is not a number.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.resize(30)
    >>> c.radius, qel.objectAt(75, 50) == c.id
    (30.0, True)
    >>> c.remove()
    True
)doc")
        .def(
            "setLayer", [](const Circle& c, int32_t layer) { liveEngine(c).scene().setLayerOf(c.id, layer); },
            py::arg("layer"), R"doc(Puts the circle on a layer, as ``setLayer(id, layer)`` does.

Args:
    layer (int): higher layers are drawn above lower ones; every object starts on 0.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``layer`` is not an int from -2**31 to 2**31-1.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ffffff", 0)
    >>> c.setLayer(2)
    >>> c.remove()
    True
)doc");

    py::class_<Rectangle>(m, "Rectangle", R"doc(The handle of a rectangle: its identifier, and where the script keeps it and how fast it moves.

Given by ``createRectangle`` (``createRect`` gives a ``Rect``, one of these). The set methods change the handle only;
``move()``, ``moveTo()``, ``resize()`` and the step moves (``moveUp()`` and the like) change
the drawn rectangle too. Shows as ``Rectangle<id>``.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 40, "#0000ff", 50)
    >>> r.moveTo(100, 60)
    >>> r.top_left, qel.objectAt(120, 70) == r.id
    ((100, 60), True)
    >>> r.remove()
    True
)doc")
        .def(py::init([](uint32_t id, const Point2D& topLeft, double height, double width) {
                 return Rectangle{id, topLeft, height, width, 0.0};
             }),
             py::arg("id"), py::arg("top_left"), py::arg("height"), py::arg("width"), py::pos_only(),
             R"doc(A handle for the rectangle with identifier ``id``, at speed 0; ``createRectangle`` makes both.

Args:
    id (int): the drawn rectangle's identifier.
    top_left (Point2D): the top-left corner, in window pixels.
    height (float): the height in pixels.
    width (float): the width in pixels.

Raises:
    TypeError: when an argument has the wrong type.
)doc")
        .def_readonly("id", &Rectangle::id, "int: the drawn rectangle's identifier; read only.")
        .def_readonly("top_left", &Rectangle::top_left,
                      "Point2D: the top-left corner the handle holds, in pixels; read only (see setX, moveTo).")
        .def_readonly("height", &Rectangle::height, "float: the height the handle holds, in pixels; read only (see resize).")
        .def_readonly("width", &Rectangle::width, "float: the width the handle holds, in pixels; read only (see setWidth).")
        .def_readonly("speed", &Rectangle::speed, "float: the step moves' speed, in pixels a second; read only (see setSpeed).")
        .def("setX", [](Rectangle& r, double v) { r.top_left.x = v; }, py::arg("x"), py::pos_only(),
             R"doc(Sets the handle's left edge; ``move()`` draws the rectangle there.

Args:
    x (float): pixels from the left.

Returns:
    None

Raises:
    TypeError: when ``x`` is not a number.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setX(30)
    >>> r.top_left
    (30, 10)
    >>> r.remove()
    True
)doc")
        .def("setY", [](Rectangle& r, double v) { r.top_left.y = v; }, py::arg("y"), py::pos_only(),
             R"doc(Sets the handle's top edge; ``move()`` draws the rectangle there.

Args:
    y (float): pixels from the top.

Returns:
    None

Raises:
    TypeError: when ``y`` is not a number.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setY(30)
    >>> r.top_left
    (10, 30)
    >>> r.remove()
    True
)doc")
        .def("setWidth", [](Rectangle& r, double v) { r.width = v; }, py::arg("width"), py::pos_only(),
             R"doc(Sets the handle's width; the drawn rectangle keeps its own (``resize`` changes both).

The step moves keep the rectangle inside the window by the handle's size.

Args:
    width (float): pixels.

Returns:
    None

Raises:
    TypeError: when ``width`` is not a number.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setWidth(50)
    >>> r.width
    50.0
    >>> r.remove()
    True
)doc")
        .def("setSpeed", [](Rectangle& r, double v) { r.speed = v; }, py::arg("speed"), py::pos_only(),
             R"doc(Sets the speed of the step moves.

Args:
    speed (float): pixels a second.

Returns:
    None

Raises:
    TypeError: when ``speed`` is not a number.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setSpeed(75)
    >>> r.speed
    75.0
    >>> r.remove()
    True
)doc")
        .def("setColor", [](const Rectangle& r, const std::string& color) { withOutput([&] { setColorById(r.id, color); }); },
             py::arg("colour"), py::pos_only(), R"doc(Recolours the drawn rectangle.

The colour text is printed as it is read, unless qel is quiet (see ``setQuiet``).

Args:
    colour (str): the colour as ``"#rrggbb"`` text.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the colour text is not ``#`` and hex digits ("invalid stoul argument").
    IndexError: when the colour text is empty.
    TypeError: when ``colour`` is not text.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setColor("#ff00ff")
    >>> r.remove()
    True
)doc")
        .def("display", [](const Rectangle& r) { display(r.top_left); }, R"doc(Prints the handle's top-left corner as ``(x, y)``.

Prints nothing when qel is quiet (see ``setQuiet``).

Returns:
    None

Example:
    >>> r = qel.createRectangle(10, 20, 5, 5, "#ffffff", 0)
    >>> qel.setQuiet(False)
    >>> r.display()
    (10, 20)
    >>> qel.setQuiet(True)
    >>> r.remove()
    True
)doc")
        .def("move", [](const Rectangle& r) { requireEngine().scene().moveTo(r.id, r.top_left.x, r.top_left.y); },
             R"doc(Draws the rectangle at the top-left corner the handle holds.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setY(150)
    >>> r.move()
    >>> qel.objectAt(15, 155) == r.id
    True
    >>> r.remove()
    True
)doc")
        .def(
            "moveTo",
            [](Rectangle& r, double x, double y) {
                orv::OrvApp& app = requireEngine();
                r.top_left = Point2D{x, y};
                app.scene().moveTo(r.id, x, y);
            },
            py::arg("x"), py::arg("y"), py::pos_only(), R"doc(Places the top-left corner at (x, y), on the handle and on screen.

Args:
    x (float): pixels from the left.
    y (float): pixels from the top.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when x or y is not a number.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.moveTo(200, 100)
    >>> r.top_left
    (200, 100)
    >>> r.remove()
    True
)doc")
        .def("moveUp", [](Rectangle& r) { moveRectangle(r, Step::Up); },
             stepDoc("Rectangle", "up", "(100, 90)"))
        .def("moveDown", [](Rectangle& r) { moveRectangle(r, Step::Down); },
             stepDoc("Rectangle", "down", "(100, 110)"))
        .def("moveLeft", [](Rectangle& r) { moveRectangle(r, Step::Left); },
             stepDoc("Rectangle", "left", "(90, 100)"))
        .def("moveRight", [](Rectangle& r) { moveRectangle(r, Step::Right); },
             stepDoc("Rectangle", "right", "(110, 100)"))
        .def("__repr__", [](const Rectangle& r) { return "Rectangle<" + std::to_string(r.id) + ">"; },
             "Rectangle<id>.")
        // Beyond the methods above.
        .def("remove", [](const Rectangle& r) { return requireEngine().pictures().remove(r.id); },
             R"doc(Removes the drawn rectangle, as ``removeObject(id)`` does.

Returns:
    bool: True when the rectangle was there, False when it was removed already.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.remove(), r.remove()
    (True, False)
)doc")
        .def(
            "resize",
            [](Rectangle& r, double width, double height) {
                orv::OrvApp& app = liveEngine(r);
                r.width = width;
                r.height = height;
                app.scene().resize(r.id, width, height);
            },
            py::arg("width"), py::arg("height"), R"doc(Sets the width and height of the handle and of the drawn rectangle.

Mind the order: the width comes first here, unlike ``createRectangle``.

Args:
    width (float): pixels, along x.
    height (float): pixels, along y.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when width or height is not a number.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.resize(60, 30)
    >>> r.width, r.height
    (60.0, 30.0)
    >>> r.remove()
    True
)doc")
        .def(
            "setLayer", [](const Rectangle& r, int32_t layer) { liveEngine(r).scene().setLayerOf(r.id, layer); },
            py::arg("layer"), R"doc(Puts the rectangle on a layer, as ``setLayer(id, layer)`` does.

Args:
    layer (int): higher layers are drawn above lower ones; every object starts on 0.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``layer`` is not an int from -2**31 to 2**31-1.

Example:
    >>> r = qel.createRectangle(10, 10, 20, 20, "#ffffff", 0)
    >>> r.setLayer(-1)
    >>> r.remove()
    True
)doc");
}

}  // namespace qel
