#include "bindings/input_functions.hpp"

#include "bindings/module_state.hpp"
#include "engine/orv_app.hpp"
#include "input/key_tables.hpp"

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
    orv::OrvWindow& window = requireEngine().getWindow();
    Point2D cursor{-1.0, -1.0};
    // A closed window's library is shut down and reports no hovering.
    if (!window.isClosed() && glfwGetWindowAttrib(window.nativeHandle(), GLFW_HOVERED) != 0) {
        glfwGetCursorPos(window.nativeHandle(), &cursor.x, &cursor.y);
    }
    return cursor;
}

}  // namespace qel
