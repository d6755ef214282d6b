#include "input/input_callbacks.hpp"

#include <GLFW/glfw3.h>

#include "input/input_state.hpp"
#include "input/key_tables.hpp"

namespace orv {

void keyCallback(GLFWwindow*, int key, int, int action, int) {
    recordKeyAction(key, action);
    inputState().key(key, action);
}

void mouseButtonCallback(GLFWwindow* window, int button, int action, int) {
    recordKeyAction(button, action);
    InputState& input = inputState();
    double x = input.cursorX;
    double y = input.cursorY;
    // Where the events left the cursor, which is where it was at the press; asking the
    // window would tell where it is now. Until an event told, the window is asked.
    if (window != nullptr && !input.cursorSeen) {
        glfwGetCursorPos(window, &x, &y);
    }
    input.button(button, action, x, y);
}

void cursorPosCallback(GLFWwindow* window, double x, double y) {
    inputState().cursorMoved(x, y, window == nullptr);
}

void scrollCallback(GLFWwindow*, double dx, double dy) { inputState().scrolled(dx, dy); }

void charCallback(GLFWwindow*, unsigned int codepoint) { inputState().typed(static_cast<char32_t>(codepoint)); }

void deliverInjectedEvents() {
    InputState& input = inputState();
    for (const InjectedEvent& event : input.takeInjected()) {
        switch (event.kind) {
            case InjectedEvent::Kind::Key:
            case InjectedEvent::Kind::Button: {
                const bool button = event.kind == InjectedEvent::Kind::Button;
                const bool held = input.down(button ? kMouseCode + event.code : event.code);
                if (!event.down && !held) break;
                const int action = event.down ? (held ? GLFW_REPEAT : GLFW_PRESS) : GLFW_RELEASE;
                // Buttons do not repeat.
                if (button && action == GLFW_REPEAT) break;
                if (button) {
                    mouseButtonCallback(nullptr, event.code, action, 0);
                } else {
                    keyCallback(nullptr, event.code, 0, action, 0);
                }
                break;
            }
            case InjectedEvent::Kind::Move:
                cursorPosCallback(nullptr, event.x, event.y);
                break;
            case InjectedEvent::Kind::Scroll:
                scrollCallback(nullptr, event.x, event.y);
                break;
            case InjectedEvent::Kind::Text:
                for (char32_t c : event.text) charCallback(nullptr, static_cast<unsigned int>(c));
                break;
        }
    }
}

}  // namespace orv
