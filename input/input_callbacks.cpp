#include "input/input_callbacks.hpp"

#include "input/key_tables.hpp"

namespace orv {

void keyCallback(GLFWwindow*, int key, int, int action, int) { recordKeyAction(key, action); }

void mouseButtonCallback(GLFWwindow*, int button, int action, int) {
    recordKeyAction(button, action);
}

}  // namespace orv
