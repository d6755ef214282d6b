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

// The step moves read the handle's step clock and the drawing area, then push the new
// position.
template <typename Handle, typename StepFn>
void stepAndMove(Handle& handle, const Point2D& position, Step step, StepFn stepFn) {
    orv::OrvApp& app = requireEngine();
    const double W = static_cast<double>(truncateSize(windowWidth));
    const double H = static_cast<double>(truncateSize(windowHeight));
    const double dt = handle.steps.take(step, frameClock.now(), app.frameTime);
    stepFn(handle, step, dt, W, H);
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
    py::class_<Point2D>(m, "Point2D")
        .def(py::init([](double x, double y) { return Point2D{x, y}; }))
        .def_readwrite("x", &Point2D::x)
        .def_readwrite("y", &Point2D::y)
        .def("__repr__", &formatPoint);

    py::class_<Circle>(m, "Circle")
        .def(py::init([](uint32_t id, const Point2D& center, double radius, double speed) {
            return Circle{id, center, radius, speed};
        }))
        .def_readonly("id", &Circle::id)
        .def_readonly("center", &Circle::center)
        .def_readonly("radius", &Circle::radius)
        .def_readonly("speed", &Circle::speed)
        .def("setX", [](Circle& c, double v) { c.center.x = v; })
        .def("setY", [](Circle& c, double v) { c.center.y = v; })
        .def("setRadius", [](Circle& c, double v) { c.radius = v; })
        .def("setSpeed", [](Circle& c, double v) { c.speed = v; })
        .def("setColor", [](const Circle& c, const std::string& color) { withOutput([&] { setColorById(c.id, color); }); })
        .def("display", [](const Circle& c) { display(c.center); })
        .def("move", [](const Circle& c) { requireEngine().moveTo(c.id, c.center.x, c.center.y); })
        .def("moveUp", [](Circle& c) { moveCircle(c, Step::Up); })
        .def("moveDown", [](Circle& c) { moveCircle(c, Step::Down); })
        .def("moveLeft", [](Circle& c) { moveCircle(c, Step::Left); })
        .def("moveRight", [](Circle& c) { moveCircle(c, Step::Right); })
        .def("__repr__", [](const Circle& c) { return "Circle<" + std::to_string(c.id) + ">"; })
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

    py::class_<Rectangle>(m, "Rectangle")
        .def(py::init([](uint32_t id, const Point2D& topLeft, double height, double width) {
            return Rectangle{id, topLeft, height, width, 0.0};
        }))
        .def_readonly("id", &Rectangle::id)
        .def_readonly("top_left", &Rectangle::top_left)
        .def_readonly("height", &Rectangle::height)
        .def_readonly("width", &Rectangle::width)
        .def_readonly("speed", &Rectangle::speed)
        .def("setX", [](Rectangle& r, double v) { r.top_left.x = v; })
        .def("setY", [](Rectangle& r, double v) { r.top_left.y = v; })
        .def("setWidth", [](Rectangle& r, double v) { r.width = v; })
        .def("setSpeed", [](Rectangle& r, double v) { r.speed = v; })
        .def("setColor", [](const Rectangle& r, const std::string& color) { withOutput([&] { setColorById(r.id, color); }); })
        .def("display", [](const Rectangle& r) { display(r.top_left); })
        .def("move", [](const Rectangle& r) { requireEngine().moveTo(r.id, r.top_left.x, r.top_left.y); })
        .def("moveTo",
             [](Rectangle& r, double x, double y) {
                 orv::OrvApp& app = requireEngine();
                 r.top_left = Point2D{x, y};
                 app.moveTo(r.id, x, y);
             })
        .def("moveUp", [](Rectangle& r) { moveRectangle(r, Step::Up); })
        .def("moveDown", [](Rectangle& r) { moveRectangle(r, Step::Down); })
        .def("moveLeft", [](Rectangle& r) { moveRectangle(r, Step::Left); })
        .def("moveRight", [](Rectangle& r) { moveRectangle(r, Step::Right); })
        .def("__repr__", [](const Rectangle& r) { return "Rectangle<" + std::to_string(r.id) + ">"; })
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
