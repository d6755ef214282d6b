#include "bindings/input_functions.hpp"

#include <pybind11/stl.h>

#include <cmath>

#include "bindings/module_state.hpp"
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

void injectKey(const std::string& name, bool down) {
    requireEngine();
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
    const int code = mouseCode(button.cast<std::string>()) - orv::kMouseCode;
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

void injectText(const std::u32string& text) {
    requireEngine();
    orv::InjectedEvent event{orv::InjectedEvent::Kind::Text};
    event.text = text;
    orv::inputState().inject(std::move(event));
}

}  // namespace

void registerInputFunctions(py::module_& m) {
    using orv::InputState;
    m.def(
        "keyDown", [](const std::string& name) { return anyKey(name, [](const InputState& s, int c) { return s.down(c); }); },
        py::arg("name"),
        "Whether the key is held now. Keys are named in lower case: \"space\", \"escape\", \"enter\", \"a\", \"7\", "
        "\"f1\", \"up\", \"left shift\", \"shift\" (either), ...; an unknown name raises ValueError.");
    m.def(
        "keyPressed",
        [](const std::string& name) { return anyKey(name, [](const InputState& s, int c) { return s.pressed(c); }); },
        py::arg("name"), "Whether the key went down between the last two drawn frames (key repeat does not count).");
    m.def(
        "keyReleased",
        [](const std::string& name) { return anyKey(name, [](const InputState& s, int c) { return s.released(c); }); },
        py::arg("name"), "Whether the key came up between the last two drawn frames.");
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
        "The names of the keys held now.");
    m.def(
        "mouseDown", [](const std::string& button) { return orv::inputState().down(mouseCode(button)); },
        py::arg("button"), "Whether the mouse button (\"left\", \"right\" or \"middle\") is held now.");
    m.def(
        "mousePressed", [](const std::string& button) { return orv::inputState().pressed(mouseCode(button)); },
        py::arg("button"), "Whether the mouse button went down between the last two drawn frames.");
    m.def(
        "mouseReleased", [](const std::string& button) { return orv::inputState().released(mouseCode(button)); },
        py::arg("button"), "Whether the mouse button came up between the last two drawn frames.");
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
        "The mouse presses between the last two drawn frames, in order: a list of (button, x, y).");
    m.def(
        "scroll", [] { return orv::inputState().scroll(); },
        "How far the wheel turned between the last two drawn frames, in steps: (dx, dy); dy is positive when the wheel turns away from the user.");
    m.def(
        "typedText", [] { return orv::inputState().text(); },
        "The characters typed between the last two drawn frames, as the keyboard layout made them.");
    m.def("injectKey", &injectKey, py::arg("name"), py::arg("down"),
          "Delivers a key press (down=True) or release at the next poll, as the window system would.");
    m.def("injectMouse", &injectMouse, py::arg("x"), py::arg("y"), py::arg("button") = py::none(),
          py::arg("down") = py::none(),
          "Moves the cursor to (x, y) at the next poll; with button and down, presses or releases that button there.");
    m.def("injectScroll", &injectScroll, py::arg("dx"), py::arg("dy"), "Turns the wheel at the next poll.");
    m.def("injectText", &injectText, py::arg("text"), "Types the characters at the next poll.");
}

}  // namespace qel
