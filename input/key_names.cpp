#include "input/key_names.hpp"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <map>

namespace orv {

namespace {

struct Names {
    std::map<std::string, std::vector<int>> codes;
    std::map<int, std::string> canonical;
    std::vector<std::string> all;

    void add(const std::string& name, int code) {
        codes[name] = {code};
        canonical.emplace(code, name);
    }
    void alias(const std::string& name, std::vector<int> keys) { codes[name] = std::move(keys); }
};

const Names& names() {
    static const Names table = [] {
        Names t;
        t.add("space", GLFW_KEY_SPACE);
        t.add("apostrophe", GLFW_KEY_APOSTROPHE);
        t.add("comma", GLFW_KEY_COMMA);
        t.add("minus", GLFW_KEY_MINUS);
        t.add("period", GLFW_KEY_PERIOD);
        t.add("slash", GLFW_KEY_SLASH);
        t.add("semicolon", GLFW_KEY_SEMICOLON);
        t.add("equal", GLFW_KEY_EQUAL);
        t.add("left bracket", GLFW_KEY_LEFT_BRACKET);
        t.add("backslash", GLFW_KEY_BACKSLASH);
        t.add("right bracket", GLFW_KEY_RIGHT_BRACKET);
        t.add("grave accent", GLFW_KEY_GRAVE_ACCENT);
        t.add("world 1", GLFW_KEY_WORLD_1);
        t.add("world 2", GLFW_KEY_WORLD_2);
        for (int digit = 0; digit <= 9; ++digit) {
            t.add(std::string(1, static_cast<char>('0' + digit)), GLFW_KEY_0 + digit);
            t.add("keypad " + std::to_string(digit), GLFW_KEY_KP_0 + digit);
        }
        for (char letter = 'a'; letter <= 'z'; ++letter) {
            t.add(std::string(1, letter), GLFW_KEY_A + (letter - 'a'));
        }
        for (int f = 1; f <= 25; ++f) {
            t.add("f" + std::to_string(f), GLFW_KEY_F1 + f - 1);
        }
        t.add("escape", GLFW_KEY_ESCAPE);
        t.add("enter", GLFW_KEY_ENTER);
        t.add("tab", GLFW_KEY_TAB);
        t.add("backspace", GLFW_KEY_BACKSPACE);
        t.add("insert", GLFW_KEY_INSERT);
        t.add("delete", GLFW_KEY_DELETE);
        t.add("right", GLFW_KEY_RIGHT);
        t.add("left", GLFW_KEY_LEFT);
        t.add("down", GLFW_KEY_DOWN);
        t.add("up", GLFW_KEY_UP);
        t.add("page up", GLFW_KEY_PAGE_UP);
        t.add("page down", GLFW_KEY_PAGE_DOWN);
        t.add("home", GLFW_KEY_HOME);
        t.add("end", GLFW_KEY_END);
        t.add("caps lock", GLFW_KEY_CAPS_LOCK);
        t.add("scroll lock", GLFW_KEY_SCROLL_LOCK);
        t.add("num lock", GLFW_KEY_NUM_LOCK);
        t.add("print screen", GLFW_KEY_PRINT_SCREEN);
        t.add("pause", GLFW_KEY_PAUSE);
        t.add("keypad decimal", GLFW_KEY_KP_DECIMAL);
        t.add("keypad divide", GLFW_KEY_KP_DIVIDE);
        t.add("keypad multiply", GLFW_KEY_KP_MULTIPLY);
        t.add("keypad subtract", GLFW_KEY_KP_SUBTRACT);
        t.add("keypad add", GLFW_KEY_KP_ADD);
        t.add("keypad enter", GLFW_KEY_KP_ENTER);
        t.add("keypad equal", GLFW_KEY_KP_EQUAL);
        t.add("left shift", GLFW_KEY_LEFT_SHIFT);
        t.add("left ctrl", GLFW_KEY_LEFT_CONTROL);
        t.add("left alt", GLFW_KEY_LEFT_ALT);
        t.add("left super", GLFW_KEY_LEFT_SUPER);
        t.add("right shift", GLFW_KEY_RIGHT_SHIFT);
        t.add("right ctrl", GLFW_KEY_RIGHT_CONTROL);
        t.add("right alt", GLFW_KEY_RIGHT_ALT);
        t.add("right super", GLFW_KEY_RIGHT_SUPER);
        t.add("menu", GLFW_KEY_MENU);
        // Either side of a modifier, and the spellings people reach for first.
        t.alias("shift", {GLFW_KEY_LEFT_SHIFT, GLFW_KEY_RIGHT_SHIFT});
        t.alias("ctrl", {GLFW_KEY_LEFT_CONTROL, GLFW_KEY_RIGHT_CONTROL});
        t.alias("alt", {GLFW_KEY_LEFT_ALT, GLFW_KEY_RIGHT_ALT});
        t.alias("super", {GLFW_KEY_LEFT_SUPER, GLFW_KEY_RIGHT_SUPER});
        t.alias("return", {GLFW_KEY_ENTER});
        t.alias("esc", {GLFW_KEY_ESCAPE});
        // The button queries' names mean the same keys and buttons here.
        for (const char* letter : {"W", "A", "S", "D"}) {
            t.alias(letter, {GLFW_KEY_A + (letter[0] - 'A')});
        }
        t.alias("mouseLeft", {kMouseCode + GLFW_MOUSE_BUTTON_LEFT});
        t.alias("mouseRight", {kMouseCode + GLFW_MOUSE_BUTTON_RIGHT});
        for (const auto& entry : t.codes) {
            t.all.push_back(entry.first);
        }
        return t;
    }();
    return table;
}

const std::map<std::string, int>& mouseNames() {
    static const std::map<std::string, int> table{
        {"left", GLFW_MOUSE_BUTTON_LEFT}, {"right", GLFW_MOUSE_BUTTON_RIGHT}, {"middle", GLFW_MOUSE_BUTTON_MIDDLE}};
    return table;
}

}  // namespace

std::vector<int> keyCodesNamed(const std::string& name) {
    const auto it = names().codes.find(name);
    return it == names().codes.end() ? std::vector<int>{} : it->second;
}

std::optional<int> mouseCodeNamed(const std::string& name) {
    const auto it = mouseNames().find(name);
    if (it == mouseNames().end()) return std::nullopt;
    return kMouseCode + it->second;
}

std::string keyName(int code) {
    const auto it = names().canonical.find(code);
    return it == names().canonical.end() ? std::string{} : it->second;
}

const std::vector<std::string>& allKeyNames() { return names().all; }

const std::vector<std::string>& allMouseNames() {
    static const std::vector<std::string> all{"left", "middle", "right"};
    return all;
}

}  // namespace orv
