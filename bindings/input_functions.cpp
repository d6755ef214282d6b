#include "bindings/input_functions.hpp"

#include <pybind11/stl.h>

#include <cmath>

#include "bindings/module_state.hpp"
#include "bindings/text_argument.hpp"
#include "engine/orv_app.hpp"
#include "input/input_state.hpp"
#include "input/key_names.hpp"
#include "input/key_tables.hpp"

namespace py = pybind11;

namespace qel {

bool buttonDown(const std::string& name) {
    return orv::isButtonDown(name);
}

bool buttonComboDown(const std::vector<std::string>& names) {
    return orv::isComboDown(names);
}

bool buttonClicked(const std::string& name) {
    return orv::takeButtonClicked(name);
}

Point2D getCursor() {
    return requireEngine().cursor();
}

namespace {

[[noreturn]] void unknownName(const char* what, const std::string& name, const std::vector<std::string>& known) {
    // No key name is long; a long one is shown cut short, and as Python shows text, so a NUL
    // or a stray byte cannot cut or garble the message.
    constexpr size_t kShown = 40;
    const std::string shown = name.size() > kShown ? name.substr(0, kShown) : name;
    const py::object text = py::reinterpret_steal<py::object>(
        PyUnicode_DecodeUTF8(shown.data(), static_cast<Py_ssize_t>(shown.size()), "backslashreplace"));
    const py::list close = name.size() > kShown ? py::list()
                                                : py::module_::import("difflib").attr("get_close_matches")(name, known, 4, 0.6);
    std::string message = "no " + std::string(what) + " is named " + py::repr(text).cast<std::string>() +
                          (name.size() > kShown ? " (cut short)" : "");
    if (!close.empty()) {
        message += "; did you mean ";
        for (size_t i = 0; i < close.size(); ++i) {
            message += (i == 0 ? "\"" : i + 1 == close.size() ? "\" or \"" : "\", \"") + close[i].cast<std::string>();
        }
        message += "\"?";
    } else if (std::string(what) == "key") {
        message += " (keys are named in lower case: \"space\", \"a\", \"f1\", \"left shift\", ...)";
    }
    throw py::value_error(message);
}

std::vector<int> keyCodes(const std::string& name) {
    std::vector<int> codes = orv::keyCodesNamed(name);
    if (codes.empty()) unknownName("key", name, orv::allKeyNames());
    return codes;
}

int mouseCode(const std::string& name) {
    const auto code = orv::mouseCodeNamed(name);
    if (!code) unknownName("mouse button", name, orv::allMouseNames());
    return *code;
}

// A name standing for several keys (both shifts) holds when any of them does.
template <typename Query>
bool anyKey(const std::string& name, Query query) {
    for (int code : keyCodes(name)) {
        if (query(orv::inputState(), code)) return true;
    }
    return false;
}

void injectKey(const KeyName& key, bool down) {
    requireEngine();
    const std::string& name = key.utf8;
    // One key stands for a name; a modifier named without its side is the left one.
    const int code = keyCodes(name).front();
    orv::InjectedEvent event{code >= orv::kMouseCode ? orv::InjectedEvent::Kind::Button : orv::InjectedEvent::Kind::Key};
    event.code = code >= orv::kMouseCode ? code - orv::kMouseCode : code;
    event.down = down;
    orv::inputState().inject(std::move(event));
}

// Injected numbers are what a window system could report: finite.
void requireFinite(const char* what, double a, double b) {
    if (!std::isfinite(a) || !std::isfinite(b)) {
        throw py::value_error(std::string(what) + " must be finite numbers");
    }
}

void injectMouse(double x, double y, const py::object& button, const py::object& down) {
    requireEngine();
    requireFinite("injectMouse's x and y", x, y);
    if (button.is_none() != down.is_none()) {
        throw py::type_error("injectMouse needs both button and down, or neither");
    }
    orv::InjectedEvent move{orv::InjectedEvent::Kind::Move};
    move.x = x;
    move.y = y;
    if (button.is_none()) {
        orv::inputState().inject(std::move(move));
        return;
    }
    const int code = mouseCode(button.cast<KeyName>().utf8) - orv::kMouseCode;
    orv::InjectedEvent press{orv::InjectedEvent::Kind::Button};
    press.code = code;
    press.down = down.cast<bool>();
    orv::inputState().inject(std::move(move));
    orv::inputState().inject(std::move(press));
}

void injectScroll(double dx, double dy) {
    requireEngine();
    requireFinite("injectScroll's dx and dy", dx, dy);
    orv::InjectedEvent event{orv::InjectedEvent::Kind::Scroll};
    event.x = dx;
    event.y = dy;
    orv::inputState().inject(std::move(event));
}

void injectText(const TypedText& text) {
    requireEngine();
    orv::InjectedEvent event{orv::InjectedEvent::Kind::Text};
    event.text = text.text;
    orv::inputState().inject(std::move(event));
}

}  // namespace

void registerInputFunctions(py::module_& m) {
    using orv::InputState;
    m.def(
        "keyDown", [](const KeyName& name) { return anyKey(name.utf8, [](const InputState& s, int c) { return s.down(c); }); },
        py::arg("name"), R"doc(Whether the key ``name`` is held now.

Every key is recorded from ``init`` on. Keys are named by where they sit on a US keyboard,
in lower case: ``"space"``, ``"escape"``, ``"enter"``, ``"a"``, ``"7"``, ``"f1"``, ``"up"``,
``"left shift"``, ``"shift"`` (either side), ``"keypad 0"``, ``"comma"``...; the ten names
of ``buttonDown`` work too.

Args:
    name (str): the key's name.

Returns:
    bool: True while the key is held.

Raises:
    ValueError: when no key has the name ("no key is named 'spce'; did you mean "space"?").
    TypeError: when ``name`` is not text.

Example:
    >>> qel.injectKey("space", True)
    >>> _ = qel.nextFrame()
    >>> qel.keyDown("space"), qel.keyDown("a")
    (True, False)
    >>> qel.injectKey("space", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def(
        "keyPressed",
        [](const KeyName& name) { return anyKey(name.utf8, [](const InputState& s, int c) { return s.pressed(c); }); },
        py::arg("name"), R"doc(Whether the key ``name`` went down between the last two drawn frames.

A tap shorter than a frame counts as pressed and released; the keyboard's repeat does not
count again.

Args:
    name (str): the key's name, as ``keyDown`` takes it.

Returns:
    bool: True for the frame after the key went down.

Raises:
    ValueError: when no key has the name ("no key is named 'spce'; did you mean "space"?").
    TypeError: when ``name`` is not text.

Example:
    >>> qel.injectKey("enter", True)
    >>> _ = qel.nextFrame()
    >>> qel.keyPressed("enter")
    True
    >>> _ = qel.nextFrame()
    >>> qel.keyPressed("enter")
    False
    >>> qel.injectKey("enter", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def(
        "keyReleased",
        [](const KeyName& name) { return anyKey(name.utf8, [](const InputState& s, int c) { return s.released(c); }); },
        py::arg("name"), R"doc(Whether the key ``name`` came up between the last two drawn frames.

Args:
    name (str): the key's name, as ``keyDown`` takes it.

Returns:
    bool: True for the frame after the key came up.

Raises:
    ValueError: when no key has the name ("no key is named 'spce'; did you mean "space"?").
    TypeError: when ``name`` is not text.

Example:
    >>> qel.injectKey("x", True)
    >>> qel.injectKey("x", False)
    >>> _ = qel.nextFrame()
    >>> qel.keyPressed("x"), qel.keyReleased("x"), qel.keyDown("x")
    (True, True, False)
)doc");
    m.def(
        "keysDown",
        [] {
            std::vector<std::string> names;
            for (int code : orv::inputState().heldKeys()) {
                std::string name = orv::keyName(code);
                if (!name.empty()) names.push_back(std::move(name));
            }
            return names;
        },
        R"doc(The names of the keys held now.

Returns:
    list[str]: the keys' names, as ``keyDown`` takes them.

Example:
    >>> qel.injectKey("left shift", True)
    >>> _ = qel.nextFrame()
    >>> qel.keysDown()
    ['left shift']
    >>> qel.injectKey("left shift", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def(
        "mouseDown", [](const KeyName& button) { return orv::inputState().down(mouseCode(button.utf8)); },
        py::arg("button"), R"doc(Whether the mouse button is held now.

Args:
    button (str): ``"left"``, ``"right"`` or ``"middle"``.

Returns:
    bool: True while the button is held.

Raises:
    ValueError: when no mouse button has the name ("no mouse button is named ...").
    TypeError: when ``button`` is not text.

Example:
    >>> qel.injectMouse(10, 10, "left", True)
    >>> _ = qel.nextFrame()
    >>> qel.mouseDown("left"), qel.mouseDown("right")
    (True, False)
    >>> qel.injectMouse(10, 10, "left", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def(
        "mousePressed", [](const KeyName& button) { return orv::inputState().pressed(mouseCode(button.utf8)); },
        py::arg("button"), R"doc(Whether the mouse button went down between the last two drawn frames.

Args:
    button (str): ``"left"``, ``"right"`` or ``"middle"``.

Returns:
    bool: True for the frame after the button went down.

Raises:
    ValueError: when no mouse button has the name ("no mouse button is named ...").
    TypeError: when ``button`` is not text.

Example:
    >>> qel.injectMouse(10, 10, "right", True)
    >>> _ = qel.nextFrame()
    >>> qel.mousePressed("right")
    True
    >>> qel.injectMouse(10, 10, "right", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def(
        "mouseReleased", [](const KeyName& button) { return orv::inputState().released(mouseCode(button.utf8)); },
        py::arg("button"), R"doc(Whether the mouse button came up between the last two drawn frames.

Args:
    button (str): ``"left"``, ``"right"`` or ``"middle"``.

Returns:
    bool: True for the frame after the button came up.

Raises:
    ValueError: when no mouse button has the name ("no mouse button is named ...").
    TypeError: when ``button`` is not text.

Example:
    >>> qel.injectMouse(10, 10, "middle", True)
    >>> qel.injectMouse(10, 10, "middle", False)
    >>> _ = qel.nextFrame()
    >>> qel.mouseReleased("middle")
    True
)doc");
    m.def(
        "clicks",
        [] {
            static const char* const kNames[] = {"left", "right", "middle"};
            py::list out;
            for (const orv::Click& click : orv::inputState().clicks()) {
                const py::object name = click.button < 3 ? py::str(kNames[click.button])
                                                         : py::str("button " + std::to_string(click.button + 1));
                out.append(py::make_tuple(name, click.x, click.y));
            }
            return out;
        },
        R"doc(The mouse presses between the last two drawn frames, in order.

Returns:
    list[tuple[str, float, float]]: ``(button, x, y)`` for each press, with the cursor's
    position in window pixels at the press; buttons past the third are named
    ``"button 4"`` and so on.

Example:
    >>> qel.injectMouse(25, 35, "left", True)
    >>> qel.injectMouse(25, 35, "left", False)
    >>> _ = qel.nextFrame()
    >>> qel.clicks()
    [('left', 25.0, 35.0)]
)doc");
    m.def(
        "scroll", [] { return orv::inputState().scroll(); },
        R"doc(How far the mouse wheel turned between the last two drawn frames.

Returns:
    tuple[float, float]: ``(dx, dy)`` in wheel steps; ``dy`` is positive when the wheel
    turns away from the user.

Example:
    >>> qel.injectScroll(0, 2)
    >>> _ = qel.nextFrame()
    >>> qel.scroll()
    (0.0, 2.0)
)doc");
    m.def(
        "typedText", [] { return orv::inputState().text(); },
        R"doc(The characters typed between the last two drawn frames.

The characters are those the user's keyboard layout made (dead keys and input methods
included), for name entry and chat boxes.

Returns:
    str: the characters, in order; empty when nothing was typed.

Example:
    >>> qel.injectText("héllo")
    >>> _ = qel.nextFrame()
    >>> qel.typedText()
    'héllo'
)doc");
    m.def("injectKey", &injectKey, py::arg("name"), py::arg("down"),
          R"doc(Hands the engine a key press or release, delivered at the next poll.

The event reaches the key queries and the button queries as the window system's own would;
it works with a window and offscreen, so a game can play itself. At most 100,000 injected
events wait for a poll.

Args:
    name (str): the key's name, as ``keyDown`` takes it (a name for either side means the
        left one).
    down (bool): True for a press, False for a release.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when no key has the name, or too many events wait.
    TypeError: when ``name`` is not text or ``down`` not a bool.

Example:
    >>> qel.injectKey("d", True)
    >>> _ = qel.nextFrame()
    >>> qel.keyDown("d")
    True
    >>> qel.injectKey("d", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def("injectMouse", &injectMouse, py::arg("x"), py::arg("y"), py::arg("button") = py::none(),
          py::arg("down") = py::none(), R"doc(Hands the engine a cursor move, and a button press or release, delivered at the next poll.

The injected cursor is what ``getCursor()`` reports until the real one moves.

Args:
    x (float): the cursor's x, in window pixels from the left.
    y (float): the cursor's y, in window pixels from the top.
    button (str or None): ``"left"``, ``"right"`` or ``"middle"`` to press or release
        there; default ``None``, a move only.
    down (bool or None): True to press ``button``, False to release it; given with
        ``button``, default ``None``.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when x or y is not finite, no button has the name, or too many events wait.
    TypeError: when only one of ``button`` and ``down`` is given
        ("injectMouse needs both button and down, or neither").

Example:
    >>> qel.injectMouse(100, 50, "left", True)
    >>> _ = qel.nextFrame()
    >>> qel.mousePressed("left"), qel.getCursor()
    (True, (100, 50))
    >>> qel.injectMouse(100, 50, "left", False)
    >>> _ = qel.nextFrame()
)doc");
    m.def("injectScroll", &injectScroll, py::arg("dx"), py::arg("dy"),
          R"doc(Hands the engine a turn of the mouse wheel, delivered at the next poll.

Args:
    dx (float): sideways steps.
    dy (float): steps, positive away from the user.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when dx or dy is not finite, or too many events wait.
    TypeError: when dx or dy is not a number.

Example:
    >>> qel.injectScroll(0, -1)
    >>> _ = qel.nextFrame()
    >>> qel.scroll()
    (0.0, -1.0)
)doc");
    m.def("injectText", &injectText, py::arg("text"), R"doc(Hands the engine typed characters, delivered at the next poll.

Args:
    text (str): the characters, as ``typedText()`` will give them.

Returns:
    None

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first").
    ValueError: when too many events wait.
    TypeError: when ``text`` is not text.

Example:
    >>> qel.injectText("ok")
    >>> _ = qel.nextFrame()
    >>> qel.typedText()
    'ok'
)doc");
}

}  // namespace qel
