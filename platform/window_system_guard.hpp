#pragma once
// Keeps the X window system from ending the process. Xlib's default handlers exit on any
// protocol error (another client destroyed our window) and on a lost connection (the server
// died), skipping the script's finally blocks and tearing the engine down from exit(). These
// handlers record what happened instead, so the call that met it can raise.

#include <string>

struct GLFWwindow;

namespace orv {

// Installs the handlers on the window system's new connection, right after glfwInit.
void attachWindowSystemGuard();
// Installs the error handlers again: GLFW puts Xlib's default one back after some of its
// calls, so this runs around every call into GLFW that may talk to the server.
void guardWindowSystem();

// The connection to the X server broke; nothing may be sent on it any more.
bool windowSystemLost();
std::string windowSystemLostMessage();

// Watches a window for being destroyed by another client: a DestroyNotify or a BadWindow
// naming it. `checkWindowDestroyed` takes the notification off the queue before GLFW drops it.
void watchWindow(GLFWwindow* window);
bool checkWindowDestroyed();

}  // namespace orv
