// The qel extension module: everything the script can call, in registration order.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "bindings/camera_functions.hpp"
#include "bindings/audio_functions.hpp"
#include "bindings/bare_instances.hpp"
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
#include "bindings/handle_protocol.hpp"
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
        R"doc(Runs the game loop until the window closes, or until ``update`` returns a false value.

Without ``update``, processes window events and draws frames as fast as presenting allows,
unpaced, until the user asks to close the window. With ``update``, calls ``update(dt)`` once
per frame at the frame rate (see ``setFrameRate`` and ``nextFrame``), ``dt`` being the
frame's seconds; returning ``False`` (or any false value but ``None``) ends the loop.

Args:
    update (callable or None): called with the frame's seconds (float) after each frame is
        drawn; default ``None``, no update and no pacing.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first") or once the window is
        closed ("the window is closed: call qel.init() to open a new one").
    TypeError: when ``update`` is not callable.
    Exception: whatever ``update`` raises ends the loop and propagates.

Example:
    >>> frames = []
    >>> def update(dt):
    ...     frames.append(dt)
    ...     return len(frames) < 3
    >>> qel.run(update)
    >>> len(frames)
    3
)doc");
    m.def("poll", &qel::poll, R"doc(One step of a frame loop: processes window events and draws a frame when one is due.

A frame is drawn at most once every 1/60 s, on the first ``poll`` after that; ``deltaTime()``
then tells the seconds since the previous drawn frame. ``poll`` never waits: see
``nextFrame`` for a loop that sleeps between frames.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first") or once the window is
        closed ("the window is closed: call qel.init() to open a new one").

Example:
    >>> while not qel.shouldClose():
    ...     qel.poll()
    ...     break
)doc");
    m.def("shouldClose", &qel::shouldClose, R"doc(Whether the user has asked to close the window, or it was closed.

Offscreen, False until ``closeWindow()``, True after it.

Returns:
    bool: True once the window's close button was pressed or the window was closed.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> qel.shouldClose()
    False
)doc");
    m.def("loadGameObjects", &qel::loadGameObjects, R"doc(Adds the engine's demo triangle, which spins as frames are drawn.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> qel.loadGameObjects()
)doc");
    m.def("createTri", &qel::createTri, R"doc(Adds a triangle that covers the window and returns its identifier.

The triangle cannot be moved (``moveTo`` leaves it where it is) but can be recoloured,
layered and removed.

Returns:
    int: the new object's identifier.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> t = qel.createTri()
    >>> isinstance(t, int)
    True
    >>> qel.removeObject(t)
    True
)doc");
    m.def("createRectangle", qel::printing(&qel::createRectangle), py::arg("x"), py::arg("y"), py::arg("height"),
          py::arg("width"), py::arg("colour"), py::arg("speed"), py::pos_only(),
          R"doc(Adds a filled rectangle with its top-left corner at (x, y) and returns its handle.

Mind the order: the height comes before the width. The colour text is printed as it is
read, unless qel is quiet (see ``setQuiet``).

Args:
    x (float): the left edge, in window pixels from the left.
    y (float): the top edge, in window pixels from the top.
    height (float): the height in pixels, along y.
    width (float): the width in pixels, along x.
    colour (str): the colour as ``"#rrggbb"`` text.
    speed (float): the speed of the handle's step moves (``moveUp()`` and the like), in
        pixels a second.

Returns:
    Rectangle: the handle, holding the identifier, corner, size and speed.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the colour text is not ``#`` and hex digits ("invalid stoul argument").
    IndexError: when the colour text is empty.
    TypeError: when a number is not a number or the colour is not text.

Example:
    >>> r = qel.createRectangle(10, 20, 30, 40, "#00ff00", 100)
    >>> (r.top_left.x, r.top_left.y, r.width, r.height)
    (10.0, 20.0, 40.0, 30.0)
    >>> r.remove()
    True
)doc");
    m.def("moveTo", &qel::moveTo, py::arg("id"), py::arg("x"), py::arg("y"), py::pos_only(),
          R"doc(Moves the object with identifier ``id`` so that its anchor is at (x, y).

Circles are placed by their centre, rectangles, sprites and text by their top-left corner,
lines by their first end, polygons shifted by (x, y) from their points; ``createTri``'s
triangles stay. The handle keeps what it held (see ``Rectangle.moveTo``). An unknown
identifier changes nothing.

Args:
    id (int): the object's identifier, as in ``createCircle(...).id``.
    x (float): the new x, in window pixels from the left.
    y (float): the new y, in window pixels from the top.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``id`` is not an int from 0 to 2**32-1 or x, y are not numbers.

Example:
    >>> c = qel.createCircle(50, 50, 10, "#ff0000", 0)
    >>> qel.moveTo(c.id, 120, 80)
    >>> qel.objectAt(120, 80) == c.id
    True
    >>> c.remove()
    True
)doc");
    qel::installFastMoveTo(m);
    m.def("buttonDown", &qel::buttonDown, py::arg("name"), py::pos_only(),
          R"doc(Whether the key or mouse button ``name`` is held.

Knows ten names: ``up``, ``down``, ``left``, ``right``, ``W``, ``A``, ``S``, ``D``,
``mouseLeft`` and ``mouseRight``; any other name reads the left mouse button. A key is
recorded from the first question about it on; ``keyDown`` knows every key.

Args:
    name (str): one of the ten names above.

Returns:
    bool: True while it is held.

Raises:
    TypeError: when ``name`` is not text.

Example:
    >>> qel.buttonDown("up")
    False
    >>> qel.injectKey("up", True)
    >>> _ = qel.nextFrame()
    >>> qel.buttonDown("up")
    True
    >>> qel.injectKey("up", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def("buttonComboDown", &qel::buttonComboDown, py::arg("names"), py::pos_only(),
          R"doc(Whether all the named keys or mouse buttons are held at once.

Args:
    names (list[str]): names as ``buttonDown`` takes them; an empty list gives True.

Returns:
    bool: True while every one of them is held.

Raises:
    TypeError: when ``names`` is not a list of text.

Example:
    >>> qel.buttonComboDown(["W", "D"])
    False
    >>> qel.buttonComboDown([])
    True
)doc");
    m.def("buttonClicked", &qel::buttonClicked, py::arg("name"), py::pos_only(),
          R"doc(Whether the key or mouse button ``name`` was released since this was last asked about it.

Args:
    name (str): a name as ``buttonDown`` takes it.

Returns:
    bool: True once after each release; asking clears it.

Raises:
    TypeError: when ``name`` is not text.

Example:
    >>> qel.buttonClicked("A")
    False
    >>> qel.injectKey("a", True)
    >>> _ = qel.nextFrame()
    >>> qel.injectKey("a", False)
    >>> _ = qel.nextFrame()
    >>> qel.buttonClicked("A"), qel.buttonClicked("A")
    (True, False)
)doc");
    m.def("getCursor", &qel::getCursor, R"doc(Where the mouse cursor is, in window pixels.

Offscreen, the cursor is where ``injectMouse`` last put it.

Returns:
    Point2D: the cursor's position, or (-1, -1) when it is not over the drawing area.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> qel.injectMouse(40, 30)
    >>> _ = qel.nextFrame()
    >>> qel.getCursor()
    (40, 30)
)doc");
    m.def("createCircle", qel::printing(&qel::createCircle), py::arg("x"), py::arg("y"), py::arg("radius"),
          py::arg("colour"), py::arg("speed"), py::pos_only(),
          R"doc(Adds a filled circle centred on (x, y) and returns its handle.

The colour text is printed as it is read, unless qel is quiet (see ``setQuiet``).

Args:
    x (float): the centre's x, in window pixels from the left.
    y (float): the centre's y, in window pixels from the top.
    radius (float): the radius in pixels.
    colour (str): the colour as ``"#rrggbb"`` text.
    speed (float): the speed of the handle's step moves (``moveUp()`` and the like), in
        pixels a second.

Returns:
    Circle: the handle, holding the identifier, centre, radius and speed.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the colour text is not ``#`` and hex digits ("invalid stoul argument").
    IndexError: when the colour text is empty.
    TypeError: when a number is not a number or the colour is not text.

Example:
    >>> c = qel.createCircle(160, 120, 25, "#ff8000", 60)
    >>> c.center, c.radius
    ((160, 120), 25.0)
    >>> c.remove()
    True
)doc");
    m.def("deltaTime", &qel::deltaTime, R"doc(The seconds between the last two drawn frames.

Set when ``poll``, ``nextFrame`` or ``run`` draws a frame; with ``setFixedStep``, the step.

Returns:
    float: seconds.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> qel.setFixedStep(0.25)
    >>> _ = qel.nextFrame()
    >>> qel.deltaTime()
    0.25
    >>> qel.setFixedStep(0)
)doc");
    m.def("getWindowWidth", &qel::getWindowWidth, R"doc(The width of the drawing area, in pixels.

Follows the size frames are drawn at (after a resize, from the next frame drawn).

Returns:
    int: pixels; 0 before ``init``.

Example:
    >>> qel.getWindowWidth()
    320
)doc");
    m.def("getWindowHeight", &qel::getWindowHeight, R"doc(The height of the drawing area, in pixels.

Follows the size frames are drawn at (after a resize, from the next frame drawn).

Returns:
    int: pixels; 0 before ``init``.

Example:
    >>> qel.getWindowHeight()
    240
)doc");
    m.def("updateColor", &qel::updateColor, py::arg("id"), py::arg("colour"), py::pos_only(),
          R"doc(Recolours the object with identifier ``id``.

An int colour is opaque, whatever bits 24 to 31 hold; colours with alpha blend over what is
below, and alpha 0 draws nothing. An unknown identifier changes nothing.

Args:
    id (int): the object's identifier, from 0 to 2**32-1.
    colour (int or str or tuple or list): an int ``0xRRGGBB``, or a colour such as
        ``"#rrggbbaa"``, ``"#rgb"``, ``"red"``, ``(r, g, b)`` or ``(r, g, b, a)`` of 0 to 255.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the text, tuple or list is not a colour ("not a colour: ...").
    TypeError: when ``id`` is not an int in range or ``colour`` has another type.

Example:
    >>> r = qel.createRectangle(0, 0, 10, 10, "#000000", 0)
    >>> qel.updateColor(r.id, 0x3366FF)
    >>> qel.updateColor(r.id, "#3366ff80")
    >>> r.remove()
    True
)doc");
    m.def("isInside", qel::printing(&qel::isInside), py::arg("id"), py::arg("x"), py::arg("y"), py::pos_only(),
          R"doc(Whether the point (x, y) is inside the object with identifier ``id``.

Rectangles and circles at no angle print a short report of the test, unless qel is quiet
(see ``setQuiet``); a sprite or text counts as the box of its drawn size; edges count as
inside. The point is in world coordinates (the window's pixels under the default camera).

Args:
    id (int): the object's identifier.
    x (float): the point's x, in pixels from the left.
    y (float): the point's y, in pixels from the top.

Returns:
    bool: True when the object holds the point; False for an unknown identifier.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``id`` is not an int in range or x, y are not numbers.

Example:
    >>> c = qel.createCircle(100, 100, 20, "#ffffff", 0)
    >>> qel.isInside(c.id, 110, 100), qel.isInside(c.id, 130, 100)
    (True, False)
    >>> c.remove()
    True
)doc");
    m.def("getData", &qel::getData, R"doc(The device report, as JSON text.

Lists the GPUs found, the instance and device extensions, and with a window the present
modes offered and the one selected.

Returns:
    str: JSON text; ``"null"`` before ``init``.

Example:
    >>> import json
    >>> isinstance(json.loads(qel.getData()), dict)
    True
)doc");
    m.def("closeWindow", &qel::closeWindow, R"doc(Closes the window.

The scene stays usable (objects can be created, moved and asked about) but no frame is
drawn; ``poll``, ``nextFrame`` and ``run`` raise until ``init`` opens a new window.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> def quit_game():
    ...     qel.closeWindow()
)doc");
    for (const char* name : {"Point2D", "Circle", "Rectangle"}) {
        py::object cls = m.attr(name);
        py::delattr(m, name);
        m.attr(name) = cls;
    }

    // Additions to the twenty functions and three classes above come after them all.
    m.def("getRenderer", &qel::getRenderer, R"doc(The name of the renderer the engine draws with.

``"tiles"`` draws with compute passes over screen tiles (the default on a CPU Vulkan driver),
``"raster"`` with the graphics pipeline (the default on a GPU); the environment variable
``QEL_RENDERER`` chooses one. Both draw the same pixels.

Returns:
    str: ``"tiles"`` or ``"raster"``.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").

Example:
    >>> qel.getRenderer() in ("tiles", "raster")
    True
)doc");
    m.def("removeObject", &qel::removeObject, py::arg("id"), R"doc(Removes the object with identifier ``id`` from the scene.

Identifiers are never given out again, so a removed object behaves everywhere like one that
never existed.

Args:
    id (int): the object's identifier.

Returns:
    bool: True when an object had the identifier, False otherwise.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``id`` is not an int from 0 to 2**32-1.

Example:
    >>> c = qel.createCircle(10, 10, 5, "#ffffff", 0)
    >>> qel.removeObject(c.id), qel.removeObject(c.id)
    (True, False)
)doc");
    m.def("setLayer", &qel::setLayer, py::arg("id"), py::arg("layer"), R"doc(Puts the object with identifier ``id`` on a layer.

Higher layers are drawn above lower ones; within a layer the object created first is on
top. Every object starts on layer 0. An unknown identifier changes nothing.

Args:
    id (int): the object's identifier.
    layer (int): the layer, from -2**31 to 2**31-1.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when ``id`` or ``layer`` is not an int in range.

Example:
    >>> below = qel.createCircle(50, 50, 20, "#ff0000", 0)
    >>> above = qel.createCircle(50, 50, 20, "#0000ff", 0)
    >>> qel.objectAt(50, 50) == below.id
    True
    >>> qel.setLayer(above.id, 1)
    >>> qel.objectAt(50, 50) == above.id
    True
    >>> below.remove(), above.remove()
    (True, True)
)doc");
    m.def("objectAt", &qel::objectAt, py::arg("x"), py::arg("y"), R"doc(The topmost object at the window point (x, y).

Topmost by layer, then by creation order (the object created first is on top), among the
objects whose hit test (as ``isInside``'s) holds the point, edges included. Prints nothing.
Objects on layers the camera leaves alone are tested at the window point, the others where
the camera shows that place in the world.

Args:
    x (float): the point's x, in window pixels from the left.
    y (float): the point's y, in window pixels from the top.

Returns:
    int: the object's identifier, or -1 when no object holds the point.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    TypeError: when x or y is not a number.

Example:
    >>> r = qel.createRectangle(100, 100, 20, 20, "#ffffff", 0)
    >>> qel.objectAt(110, 110) == r.id, qel.objectAt(5, 5)
    (True, -1)
    >>> r.remove()
    True
)doc");
    m.def("moveMany", &qel::moveMany, py::arg("ids"), py::arg("xs"), py::arg("ys"),
          R"doc(Moves many objects at once, as ``moveTo`` would move each.

The three columns are sequences or one-dimensional buffers (lists, ``array.array``, NumPy
arrays of integer or floating types) of equal length; item i of each goes together.
Unknown identifiers are skipped.

Args:
    ids (sequence of int): the objects' identifiers.
    xs (sequence of float): the new x of each, in window pixels from the left.
    ys (sequence of float): the new y of each, in window pixels from the top.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the columns differ in length ("ids and xs differ in length (1 and 2);
        nothing was changed") or an identifier is not an int from 0 to 2**32-1, before
        anything moves.
    TypeError: when an item of ``xs`` or ``ys`` is not a number.

Example:
    >>> a = qel.createCircle(0, 0, 5, "#ffffff", 0)
    >>> b = qel.createCircle(0, 0, 5, "#ffffff", 0)
    >>> qel.moveMany([a.id, b.id], [30, 60], [40, 80])
    >>> qel.objectAt(60, 80) == b.id
    True
    >>> a.remove(), b.remove()
    (True, True)
)doc");
    m.def("updateColors", &qel::updateColors, py::arg("ids"), py::arg("colours"),
          R"doc(Recolours many objects at once, as ``updateColor`` would recolour each.

The columns follow ``moveMany``'s rules; a colour column of ints holds ``0xRRGGBB`` values,
and a sequence may also hold colours such as ``"#rrggbbaa"``, ``"red"`` or ``(r, g, b, a)``.

Args:
    ids (sequence of int): the objects' identifiers.
    colours (sequence): the new colour of each: ints ``0xRRGGBB`` or colours.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when the columns differ in length or an item is not a colour
        ("colours: item 1: not a colour: ..."), before anything changes.
    TypeError: when an item has a type no colour has.

Example:
    >>> a = qel.createCircle(20, 20, 5, "#000000", 0)
    >>> b = qel.createCircle(40, 20, 5, "#000000", 0)
    >>> qel.updateColors([a.id, b.id], [0xFF0000, "green"])
    >>> a.remove(), b.remove()
    (True, True)
)doc");
    m.def("readPixels", &qel::readPixels, R"doc(The pixels of the last frame drawn, as RGBA bytes.

Four bytes a pixel (red, green, blue, alpha), rows from the top, each row from the left:
``numpy.frombuffer(qel.readPixels(), numpy.uint8).reshape(height, width, 4)``.

Returns:
    bytes: width times height times 4 bytes.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first"), before any frame was
        drawn ("no frame to read: ...") or once the window is closed.

Example:
    >>> r = qel.createRectangle(0, 0, 240, 320, "#ff0000", 0)
    >>> _ = qel.nextFrame()
    >>> pixels = qel.readPixels()
    >>> len(pixels), tuple(pixels[:4])
    (307200, (255, 0, 0, 255))
    >>> r.remove()
    True
)doc");
    m.def("screenshot", &qel::screenshot, py::arg("path"), R"doc(Writes the last frame drawn to a PNG file.

Args:
    path (str or bytes or os.PathLike): the file to write, replaced if it exists; a relative
        path is taken from the current folder.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first"), before any frame was
        drawn ("no frame to read: ...") or once the window is closed.
    OSError: when the file cannot be written (FileNotFoundError for a missing folder).
    ValueError: when the path holds a NUL character.
    TypeError: when ``path`` is not a path.

Example:
    >>> import os, tempfile
    >>> path = os.path.join(tempfile.mkdtemp(), "frame.png")
    >>> _ = qel.nextFrame()
    >>> qel.screenshot(path)
    >>> open(path, "rb").read(4)
    b'\x89PNG'
)doc");
    qel::registerPictureFunctions(m);
    qel::registerInputFunctions(m);
    qel::registerFramePacing(m);
    m.def("setQuiet", &qel::setQuiet, py::arg("quiet"), R"doc(Turns quiet mode on or off.

In quiet mode qel prints nothing (the start-up trace, the colour echo, ``isInside``'s report,
``display()``, the present mode); errors still raise. Otherwise what qel prints is written to
``sys.stdout`` when the call returns. Works before ``init``.

Args:
    quiet (bool): True to print nothing, False to print.

Returns:
    None

Raises:
    TypeError: when ``quiet`` cannot be taken as a bool (text, say).

Example:
    >>> qel.setQuiet(False)
    >>> c = qel.createCircle(10, 10, 5, "#abcdef", 0)
    0xabcdef
    >>> qel.setQuiet(True)
    >>> c.remove()
    True
)doc");
    qel::registerWindowFunctions(m);
    qel::registerColourFunctions(m);
    qel::registerShapeFunctions(m);
    qel::registerCameraFunctions(m);
    qel::registerSpriteFrames(m);
    qel::registerSpriteLooks(m);
    qel::registerAudioFunctions(m);
    qel::registerCollisionFunctions(m);
    // The members every drawn handle shares, after each kind's own.
    qel::registerHandleProtocol(m);
    // The added classes, after every added function, in the order they were registered.
    std::vector<std::string> added;
    for (const auto& item : py::reinterpret_borrow<py::dict>(m.attr("__dict__"))) {
        const std::string name = py::str(item.first);
        if (PyType_Check(item.second.ptr()) && name != "Point2D" && name != "Circle" && name != "Rectangle") {
            added.push_back(name);
        }
    }
    for (const std::string& name : added) {
        py::object cls = m.attr(name.c_str());
        py::delattr(m, name.c_str());
        m.attr(name.c_str()) = cls;
        // Only qel's functions make these; Point2D, Circle and Rectangle have constructors,
        // and an instance whose __init__ never ran reads as zeros.
        qel::refuseBareInstances(cls);
    }

    // Tear the engine down while the interpreter, the window system and the driver are
    // all still alive, so a script that never calls closeWindow still exits cleanly.
    py::module_::import("atexit").attr("register")(py::cpp_function([] {
        qel::destroyEngine();
        qel::stopAudio();
        qel::flushOutputQuietly();
    }));
}
