#include "input/key_tables.hpp"

#include <GLFW/glfw3.h>

namespace orv {

KeyNameTable& keyNameTable() {
    static KeyNameTable table{
        {"up", GLFW_KEY_UP},
        {"down", GLFW_KEY_DOWN},
        {"left", GLFW_KEY_LEFT},
        {"right", GLFW_KEY_RIGHT},
        {"mouseLeft", GLFW_MOUSE_BUTTON_LEFT},
        {"mouseRight", GLFW_MOUSE_BUTTON_RIGHT},
        {"W", GLFW_KEY_W},
        {"A", GLFW_KEY_A},
        {"S", GLFW_KEY_S},
        {"D", GLFW_KEY_D},
    };
    return table;
}

KeyStateTable& keyStateTable() {
    static KeyStateTable table;
    return table;
}

int keyCodeFor(const std::string& name) {
    // Unknown names fall back to code 0, so they alias the left mouse button. They are
    // not stored: a script asking about ever new names must not grow the table.
    const auto it = keyNameTable().find(name);
    return it == keyNameTable().end() ? 0 : it->second;
}

KeyState& keyStateFor(int code) { return keyStateTable()[code]; }

void releaseTrackedKeys() {
    for (auto& entry : keyStateTable()) {
        entry.second = KeyState{};
    }
}

void recordKeyAction(int code, int action) {
    // Only codes a script has asked about are tracked; the rest are dropped.
    auto it = keyStateTable().find(code);
    if (it == keyStateTable().end()) return;
    KeyState& state = it->second;
    if (action == GLFW_PRESS) {
        state.down = true;
        state.clicked = false;
    } else if (action == GLFW_RELEASE) {
        state.down = false;
        state.clicked = true;
    }
}

bool isButtonDown(const std::string& name) { return keyStateFor(keyCodeFor(name)).down; }

bool takeButtonClicked(const std::string& name) {
    KeyState& state = keyStateFor(keyCodeFor(name));
    const bool clicked = state.clicked;
    state.clicked = false;
    return clicked;
}

bool isComboDown(const std::vector<std::string>& names) {
    // Short-circuit: names after the first up key must stay untracked.
    for (const std::string& name : names) {
        if (!isButtonDown(name)) return false;
    }
    return true;
}

}  // namespace orv
