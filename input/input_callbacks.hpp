#pragma once
// GLFW key and mouse-button handlers; installed by the window.

struct GLFWwindow;

namespace orv {

void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void mouseButtonCallback(GLFWwindow* window, int button, int action, int mods);

}  // namespace orv
