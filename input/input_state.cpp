#include "input/input_state.hpp"

#include <GLFW/glfw3.h>

#include <stdexcept>

#include "input/utf8.hpp"

namespace orv {

void InputState::record(int code, int action) {
    if (code < 0 || code >= kCodes) {
        return;
    }
    // A repeat is neither a press nor a release: a held key reports one press.
    if (action == GLFW_PRESS) {
        held.set(code);
        incoming.pressed.set(code);
    } else if (action == GLFW_RELEASE) {
        held.reset(code);
        incoming.released.set(code);
    }
}

void InputState::key(int code, int action) {
    if (code < kMouseCode) {
        record(code, action);
    }
}

void InputState::button(int number, int action, double x, double y) {
    if (number < 0 || number >= kButtons) {
        return;
    }
    record(kMouseCode + number, action);
    if (action == GLFW_PRESS) {
        incoming.clicks.push_back(Click{number, x, y});
    }
}

void InputState::cursorMoved(double x, double y, bool injected) {
    cursorX = x;
    cursorY = y;
    cursorInjected = injected;
    cursorSeen = true;
}

void InputState::scrolled(double dx, double dy) {
    incoming.scroll.first += dx;
    incoming.scroll.second += dy;
}

void InputState::typed(char32_t codepoint) {
    // Surrogates and values beyond Unicode are not characters.
    if (codepoint > 0x10FFFF || (codepoint >= 0xD800 && codepoint <= 0xDFFF)) {
        return;
    }
    appendUtf8(incoming.text, codepoint);
}

void InputState::inject(InjectedEvent event) {
    if (queue.size() >= kMaxQueued) {
        throw std::length_error("100000 injected events are waiting: poll or draw a frame to deliver them");
    }
    queue.push_back(std::move(event));
}

void InputState::endFrame() {
    shown = std::exchange(incoming, Happened{});
}

void InputState::reset() {
    *this = InputState{};
}

bool InputState::down(int code) const { return code >= 0 && code < kCodes && held.test(code); }
bool InputState::pressed(int code) const { return code >= 0 && code < kCodes && shown.pressed.test(code); }
bool InputState::released(int code) const { return code >= 0 && code < kCodes && shown.released.test(code); }

std::vector<int> InputState::heldKeys() const {
    std::vector<int> codes;
    for (int code = 0; code < kMouseCode; ++code) {
        if (held.test(code)) codes.push_back(code);
    }
    return codes;
}

InputState& inputState() {
    static InputState state;
    return state;
}

}  // namespace orv
