#include "platform/window_system_guard.hpp"

#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3.h>
#include <GLFW/glfw3native.h>

#include <atomic>
#include <mutex>

namespace orv {

namespace {

std::atomic<bool> lost{false};
std::atomic<bool> destroyed{false};
std::atomic<unsigned long> watched{0};
std::mutex nameMutex;
std::string displayName;

int onProtocolError(Display*, XErrorEvent* error) {
    const bool aboutWindow = error->error_code == BadWindow || error->error_code == BadDrawable;
    if (aboutWindow && error->resourceid != 0 && error->resourceid == watched.load()) {
        destroyed = true;
    }
    return 0;
}

int onConnectionLost(Display*) {
    lost = true;
    return 0;
}

// Xlib ends the process after the I/O error handler unless this handler returns; once it
// has, every later Xlib call on the display does nothing.
void onConnectionLostExit(Display*, void*) {
    lost = true;
}

}  // namespace

void guardWindowSystem() {
    XSetErrorHandler(onProtocolError);
    XSetIOErrorHandler(onConnectionLost);
}

void attachWindowSystemGuard() {
    guardWindowSystem();
    Display* display = glfwGetX11Display();
    lost = false;
    destroyed = false;
    watched = 0;
    if (display != nullptr) {
        XSetIOErrorExitHandler(display, onConnectionLostExit, nullptr);
        std::lock_guard<std::mutex> lock{nameMutex};
        displayName = DisplayString(display);
    }
}

bool windowSystemLost() {
    return lost.load();
}

std::string windowSystemLostMessage() {
    std::lock_guard<std::mutex> lock{nameMutex};
    return "lost the connection to the X display " + displayName +
           " (the X server ended or closed it); qel.init() can open a new window once a display is available";
}

void watchWindow(GLFWwindow* window) {
    destroyed = false;
    watched = window ? glfwGetX11Window(window) : 0;
}

bool checkWindowDestroyed() {
    Display* display = glfwGetX11Display();
    const Window window = watched.load();
    if (!destroyed && !lost && display != nullptr && window != 0) {
        XEvent event;
        while (XCheckTypedWindowEvent(display, window, DestroyNotify, &event)) {
            destroyed = true;
        }
    }
    return destroyed.load();
}

}  // namespace orv
