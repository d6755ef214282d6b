// The qel extension module: everything the script can call, in registration order.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "bindings/camera_functions.hpp"
#include "bindings/audio_functions.hpp"
#include "bindings/collision_functions.hpp"
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
#include "bindings/shape_functions.hpp"
#include "bindings/sprite_frames.hpp"
#include "bindings/sprite_looks.hpp"
#include "bindings/window_functions.hpp"

namespace py = pybind11;

PYBIND11_MODULE(qel, m) {
    m.doc() = "qel 2D graphics engine";
    m.attr("__version__") = QEL_VERSION;
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
                qel::runWith(update);
            }
        },
        py::arg("update") = py::none(),
        "Without update: processes events and draws frames, unpaced, until the window is asked to close. With "
        "update: calls update(dt) once per frame at the frame rate (see nextFrame) until the window closes or "
        "update returns False (or another false value; None goes on); an exception in update ends run and "
        "propagates.");
    m.def("poll", &qel::poll,
          "One step of a frame loop: processes window events, updates deltaTime() and draws a frame when 1/60 s has "
          "passed since the last one.");
    m.def("shouldClose", &qel::shouldClose, "Whether the user has asked to close the window.");
    m.def("loadGameObjects", &qel::loadGameObjects, "Adds the engine's spinning demo triangle.");
    m.def("createTri", &qel::createTri, "Adds a triangle over the whole window; returns its identifier.");
    m.def("createRectangle", qel::printing(&qel::createRectangle), py::arg("x"), py::arg("y"), py::arg("height"),
          py::arg("width"), py::arg("colour"), py::arg("speed"), py::pos_only(),
          "Adds a rectangle with its top-left corner at (x, y), colour text '#rrggbb' (printed as it is read), "
          "speed in pixels a second for the step moves; returns its handle.");
    m.def("moveTo", &qel::moveTo, py::arg("id"), py::arg("x"), py::arg("y"), py::pos_only(),
          "Places the object: a circle's centre, a rectangle's, sprite's or text's top-left corner. Triangles stay.");
    qel::installFastMoveTo(m);
    m.def("buttonDown", &qel::buttonDown, py::arg("name"), py::pos_only(),
          "Whether the key or button is held: up, down, left, right, W, A, S, D, mouseLeft, mouseRight (any other "
          "name reads the left mouse button). Tracked from the first question about it; see keyDown for every key.");
    m.def("buttonComboDown", &qel::buttonComboDown, py::arg("names"), py::pos_only(),
          "Whether all the named keys or buttons are held (buttonDown's names); True for an empty list.");
    m.def("buttonClicked", &qel::buttonClicked, py::arg("name"), py::pos_only(),
          "Whether the key or button was released since the last time this was asked (buttonDown's names).");
    m.def("getCursor", &qel::getCursor, "The cursor in window pixels, or (-1, -1) when it is not over the window.");
    m.def("createCircle", qel::printing(&qel::createCircle), py::arg("x"), py::arg("y"), py::arg("radius"),
          py::arg("colour"), py::arg("speed"), py::pos_only(),
          "Adds a circle centred on (x, y), colour text '#rrggbb' (printed as it is read), speed in pixels a second "
          "for the step moves; returns its handle.");
    m.def("deltaTime", &qel::deltaTime, "Seconds since the last drawn frame, as the last poll or nextFrame saw it.");
    m.def("getWindowWidth", &qel::getWindowWidth, "The width of the drawing area in pixels (0 before init).");
    m.def("getWindowHeight", &qel::getWindowHeight, "The height of the drawing area in pixels (0 before init).");
    m.def("updateColor", &qel::updateColor, py::arg("id"), py::arg("colour"), py::pos_only(),
          "Recolours the object with a packed int 0xRRGGBB (opaque).");
    m.def("isInside", qel::printing(&qel::isInside), py::arg("id"), py::arg("x"), py::arg("y"), py::pos_only(),
          "Whether the point is inside the object; prints a short report for rectangles and circles.");
    m.def("getData", &qel::getData, "The device report as JSON text: GPUs, extensions, the present modes.");
    m.def("closeWindow", &qel::closeWindow,
          "Destroys the window; the scene stays usable, and init opens a new window.");
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
    qel::registerShapeFunctions(m);
    qel::registerCameraFunctions(m);
    qel::registerSpriteFrames(m);
    qel::registerSpriteLooks(m);
    qel::registerAudioFunctions(m);
    qel::registerCollisionFunctions(m);
    // The added classes, after every added function.
    for (const char* name : {"Line", "Polygon", "Sheet", "Sprite", "Text", "Sound", "Voice"}) {
        py::object cls = m.attr(name);
        py::delattr(m, name);
        m.attr(name) = cls;
    }

    // Tear the engine down while the interpreter, the window system and the driver are
    // all still alive, so a script that never calls closeWindow still exits cleanly.
    py::module_::import("atexit").attr("register")(py::cpp_function([] {
        qel::destroyEngine();
        qel::stopAudio();
        qel::flushOutputQuietly();
    }));
}
