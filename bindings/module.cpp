// The qel extension module: everything the script can call, in registration order.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "bindings/colour_functions.hpp"
#include "bindings/fast_move_to.hpp"
#include "bindings/frame_pacing.hpp"
#include "bindings/input_functions.hpp"
#include "bindings/lifetime_functions.hpp"
#include "bindings/module_state.hpp"
#include "bindings/picture_handles.hpp"
#include "bindings/python_output.hpp"
#include "bindings/scene_functions.hpp"
#include "bindings/shape_classes.hpp"
#include "bindings/window_functions.hpp"

namespace py = pybind11;

PYBIND11_MODULE(qel, m) {
    m.doc() = "qel 2D graphics engine";
    qel::captureStandardOutput();

    // The classes are known to the binding layer first, so signatures and error messages
    // name them as qel.Circle rather than as C++ types; they are listed after the
    // functions again below.
    qel::registerShapeClasses(m);
    qel::registerPictureClasses(m);

    qel::registerInit(m);
    m.def(
        "run",
        [](const py::object& update) {
            if (update.is_none()) {
                qel::run();
            } else {
                qel::runWith(update.cast<py::function>());
            }
        },
        py::arg("update") = py::none());
    m.def("poll", &qel::poll);
    m.def("shouldClose", &qel::shouldClose);
    m.def("loadGameObjects", &qel::loadGameObjects);
    m.def("createTri", &qel::createTri);
    m.def("createRectangle", qel::printing(&qel::createRectangle));
    m.def("moveTo", &qel::moveTo);
    qel::installFastMoveTo(m);
    m.def("buttonDown", &qel::buttonDown);
    m.def("buttonComboDown", &qel::buttonComboDown);
    m.def("buttonClicked", &qel::buttonClicked);
    m.def("getCursor", &qel::getCursor);
    m.def("createCircle", qel::printing(&qel::createCircle));
    m.def("deltaTime", &qel::deltaTime);
    m.def("getWindowWidth", &qel::getWindowWidth);
    m.def("getWindowHeight", &qel::getWindowHeight);
    m.def("updateColor", &qel::updateColor);
    m.def("isInside", qel::printing(&qel::isInside));
    m.def("getData", &qel::getData);
    m.def("closeWindow", &qel::closeWindow);
    for (const char* name : {"Point2D", "Circle", "Rectangle"}) {
        py::object cls = m.attr(name);
        py::delattr(m, name);
        m.attr(name) = cls;
    }

    // Additions to the twenty functions and three classes above come after them all.
    m.def("getRenderer", &qel::getRenderer,
          "The renderer the engine draws with: \"tiles\" (compute over screen tiles, the default on a CPU "
          "Vulkan driver) or \"raster\" (the graphics pipeline, the default on a GPU). QEL_RENDERER chooses.");
    m.def("removeObject", &qel::removeObject, py::arg("id"),
          "Removes the object; True when something had the identifier. Identifiers are never reused.");
    m.def("setLayer", &qel::setLayer, py::arg("id"), py::arg("layer"),
          "Puts the object on a layer (default 0): higher layers are drawn above lower ones; within a layer the "
          "object created first is on top.");
    m.def("objectAt", &qel::objectAt, py::arg("x"), py::arg("y"),
          "The identifier of the topmost object (layers, then creation order) whose hit test holds the point, "
          "or -1. Prints nothing.");
    m.def("moveMany", &qel::moveMany, py::arg("ids"), py::arg("xs"), py::arg("ys"),
          "moveTo for many objects: sequences or one-dimensional buffers (lists, array.array, NumPy arrays) of "
          "equal length. Unknown identifiers are skipped.");
    m.def("updateColors", &qel::updateColors, py::arg("ids"), py::arg("colours"),
          "updateColor for many objects: packed colours 0xRRGGBB, or a sequence whose items may also be colours "
          "such as '#rrggbbaa', 'red' or (r, g, b, a); the rules of moveMany.");
    m.def("readPixels", &qel::readPixels,
          "The last frame drawn as RGBA bytes, rows from the top: "
          "numpy.frombuffer(qel.readPixels(), numpy.uint8).reshape(height, width, 4).");
    m.def("screenshot", &qel::screenshot, py::arg("path"), "Writes the last frame drawn as a PNG file.");
    qel::registerPictureFunctions(m);
    qel::registerInputFunctions(m);
    qel::registerFramePacing(m);
    m.def("setQuiet", &qel::setQuiet, py::arg("quiet"),
          "Quiet mode: qel prints nothing (start-up trace, colour echo, hit-test blocks, present mode); errors "
          "still raise. Otherwise what qel prints goes to sys.stdout.");
    qel::registerWindowFunctions(m);
    qel::registerColourFunctions(m);
    for (const char* name : {"Sprite", "Text"}) {
        py::object cls = m.attr(name);
        py::delattr(m, name);
        m.attr(name) = cls;
    }

    // Tear the engine down while the interpreter, the window system and the driver are
    // all still alive, so a script that never calls closeWindow still exits cleanly.
    py::module_::import("atexit").attr("register")(py::cpp_function([] {
        qel::destroyEngine();
        qel::flushOutputQuietly();
    }));
}
