#pragma once
// GLFW's input handlers, installed by the window; injected events go through them too.

struct GLFWwindow;

namespace orv {

void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void mouseButtonCallback(GLFWwindow* window, int button, int action, int mods);
void cursorPosCallback(GLFWwindow* window, double x, double y);
void scrollCallback(GLFWwindow* window, double dx, double dy);
void charCallback(GLFWwindow* window, unsigned int codepoint);

// Hands the injected events waiting in the input state to the handlers above, as the window
// system would hand them over: a press of a held key is a repeat, a release of a key not
// held is dropped.
void deliverInjectedEvents();

}  // namespace orv
