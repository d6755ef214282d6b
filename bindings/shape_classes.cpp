#include "bindings/shape_classes.hpp"

#include <iostream>
#include <string>

#include "bindings/module_state.hpp"
#include "bindings/python_output.hpp"
#include "bindings/scene_functions.hpp"
#include "bindings/shape_handles.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

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
    const double dt = handle.steps.take(step, frameClock.now(), app.frameTime);
    // The window's area, or with a camera the world area it shows.
    StepArea area;
    app.view().camera.visibleArea(W, H, area.left, area.top, area.right, area.bottom);
    stepFn(handle, step, dt, area);
    app.moveTo(handle.id, position.x, position.y);
}

void moveCircle(Circle& c, Step step) {
    stepAndMove(c, c.center, step, stepCircle);
}

void moveRectangle(Rectangle& r, Step step) {
    stepAndMove(r, r.top_left, step, stepRectangle);
}

}  // namespace

void registerShapeClasses(py::module_& m) {
    py::class_<Point2D>(m, "Point2D", "A point in window pixels, origin top-left, y down.")
        .def(py::init([](double x, double y) { return Point2D{x, y}; }), py::arg("x"), py::arg("y"), py::pos_only(),
             "A point at (x, y).")
        .def_readwrite("x", &Point2D::x, "Pixels from the left edge.")
        .def_readwrite("y", &Point2D::y, "Pixels from the top edge.")
        .def("__repr__", &formatPoint, "(x, y), with whole numbers shown without decimals.");

    py::class_<Circle>(m, "Circle",
                       "The handle of a circle, from createCircle: where the script keeps it and how fast it moves. "
                       "The set methods change the handle; move() and the step moves change the drawn circle.")
        .def(py::init([](uint32_t id, const Point2D& center, double radius, double speed) {
                 return Circle{id, center, radius, speed};
             }),
             py::arg("id"), py::arg("center"), py::arg("radius"), py::arg("speed"), py::pos_only(),
             "A handle for the circle with that identifier; createCircle makes both.")
        .def_readonly("id", &Circle::id, "The object's identifier.")
        .def_readonly("center", &Circle::center, "The centre the handle holds.")
        .def_readonly("radius", &Circle::radius, "The radius the handle holds.")
        .def_readonly("speed", &Circle::speed, "Pixels a second for the step moves.")
        .def("setX", [](Circle& c, double v) { c.center.x = v; }, py::arg("x"), py::pos_only(),
             "Sets the handle's centre x; move() shows it.")
        .def("setY", [](Circle& c, double v) { c.center.y = v; }, py::arg("y"), py::pos_only(),
             "Sets the handle's centre y; move() shows it.")
        .def("setRadius", [](Circle& c, double v) { c.radius = v; }, py::arg("radius"), py::pos_only(),
             "Sets the handle's radius (the drawn circle keeps its own; see resize).")
        .def("setSpeed", [](Circle& c, double v) { c.speed = v; }, py::arg("speed"), py::pos_only(),
             "Sets the speed of the step moves, in pixels a second.")
        .def("setColor", [](const Circle& c, const std::string& color) { withOutput([&] { setColorById(c.id, color); }); },
             py::arg("colour"), py::pos_only(), "Recolours the circle with colour text '#rrggbb' (printed as it is read).")
        .def("display", [](const Circle& c) { display(c.center); }, "Prints the handle's centre.")
        .def("move", [](const Circle& c) { requireEngine().moveTo(c.id, c.center.x, c.center.y); },
             "Draws the circle where the handle says.")
        .def("moveUp", [](Circle& c) { moveCircle(c, Step::Up); },
             "Moves up by speed times the frame's time, stopping at the window's edge.")
        .def("moveDown", [](Circle& c) { moveCircle(c, Step::Down); },
             "Moves down by speed times the frame's time, stopping at the window's edge.")
        .def("moveLeft", [](Circle& c) { moveCircle(c, Step::Left); },
             "Moves left by speed times the frame's time, stopping at the window's edge.")
        .def("moveRight", [](Circle& c) { moveCircle(c, Step::Right); },
             "Moves right by speed times the frame's time, stopping at the window's edge.")
        .def("__repr__", [](const Circle& c) { return "Circle<" + std::to_string(c.id) + ">"; }, "Circle<id>.")
        // Beyond the methods above.
        .def("remove", [](const Circle& c) { return requireEngine().removeObject(c.id); },
             "Removes the circle; True when it was there.")
        .def(
            "resize",
            [](Circle& c, double radius) {
                orv::OrvApp& app = requireEngine();
                c.radius = radius;
                app.resizeObject(c.id, radius, 0.0);
            },
            py::arg("radius"), "Sets the radius of the handle and of the drawn circle.")
        .def(
            "setLayer", [](const Circle& c, int32_t layer) { requireEngine().setLayer(c.id, layer); },
            py::arg("layer"), "Puts the circle on a layer: higher layers are drawn above lower ones.");

    py::class_<Rectangle>(m, "Rectangle",
                          "The handle of a rectangle, from createRectangle: where the script keeps it and how fast "
                          "it moves. The set methods change the handle; move(), moveTo() and the step moves change "
                          "the drawn rectangle.")
        .def(py::init([](uint32_t id, const Point2D& topLeft, double height, double width) {
                 return Rectangle{id, topLeft, height, width, 0.0};
             }),
             py::arg("id"), py::arg("top_left"), py::arg("height"), py::arg("width"), py::pos_only(),
             "A handle for the rectangle with that identifier; createRectangle makes both.")
        .def_readonly("id", &Rectangle::id, "The object's identifier.")
        .def_readonly("top_left", &Rectangle::top_left, "The top-left corner the handle holds.")
        .def_readonly("height", &Rectangle::height, "The height the handle holds.")
        .def_readonly("width", &Rectangle::width, "The width the handle holds.")
        .def_readonly("speed", &Rectangle::speed, "Pixels a second for the step moves.")
        .def("setX", [](Rectangle& r, double v) { r.top_left.x = v; }, py::arg("x"), py::pos_only(),
             "Sets the handle's left edge; move() shows it.")
        .def("setY", [](Rectangle& r, double v) { r.top_left.y = v; }, py::arg("y"), py::pos_only(),
             "Sets the handle's top edge; move() shows it.")
        .def("setWidth", [](Rectangle& r, double v) { r.width = v; }, py::arg("width"), py::pos_only(),
             "Sets the handle's width (the drawn rectangle keeps its own; see resize).")
        .def("setSpeed", [](Rectangle& r, double v) { r.speed = v; }, py::arg("speed"), py::pos_only(),
             "Sets the speed of the step moves, in pixels a second.")
        .def("setColor", [](const Rectangle& r, const std::string& color) { withOutput([&] { setColorById(r.id, color); }); },
             py::arg("colour"), py::pos_only(),
             "Recolours the rectangle with colour text '#rrggbb' (printed as it is read).")
        .def("display", [](const Rectangle& r) { display(r.top_left); }, "Prints the handle's top-left corner.")
        .def("move", [](const Rectangle& r) { requireEngine().moveTo(r.id, r.top_left.x, r.top_left.y); },
             "Draws the rectangle where the handle says.")
        .def(
            "moveTo",
            [](Rectangle& r, double x, double y) {
                orv::OrvApp& app = requireEngine();
                r.top_left = Point2D{x, y};
                app.moveTo(r.id, x, y);
            },
            py::arg("x"), py::arg("y"), py::pos_only(), "Places the top-left corner, on the handle and on screen.")
        .def("moveUp", [](Rectangle& r) { moveRectangle(r, Step::Up); },
             "Moves up by speed times the frame's time, stopping at the window's edge.")
        .def("moveDown", [](Rectangle& r) { moveRectangle(r, Step::Down); },
             "Moves down by speed times the frame's time, stopping at the window's edge.")
        .def("moveLeft", [](Rectangle& r) { moveRectangle(r, Step::Left); },
             "Moves left by speed times the frame's time, stopping at the window's edge.")
        .def("moveRight", [](Rectangle& r) { moveRectangle(r, Step::Right); },
             "Moves right by speed times the frame's time, stopping at the window's edge.")
        .def("__repr__", [](const Rectangle& r) { return "Rectangle<" + std::to_string(r.id) + ">"; },
             "Rectangle<id>.")
        // Beyond the methods above.
        .def("remove", [](const Rectangle& r) { return requireEngine().removeObject(r.id); },
             "Removes the rectangle; True when it was there.")
        .def(
            "resize",
            [](Rectangle& r, double width, double height) {
                orv::OrvApp& app = requireEngine();
                r.width = width;
                r.height = height;
                app.resizeObject(r.id, width, height);
            },
            py::arg("width"), py::arg("height"), "Sets the width and height of the handle and of the drawn rectangle.")
        .def(
            "setLayer", [](const Rectangle& r, int32_t layer) { requireEngine().setLayer(r.id, layer); },
            py::arg("layer"), "Puts the rectangle on a layer: higher layers are drawn above lower ones.");
}

}  // namespace qel
