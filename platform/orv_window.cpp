#include "platform/orv_window.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "diagnostics/vk_result_names.hpp"
#include "platform/window_system_guard.hpp"
#include "input/input_callbacks.hpp"
#include "input/key_tables.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

void OrvWindow::checkSize(int requestedWidth, int requestedHeight) {
    // GLFW asserts on negative sizes, aborting the interpreter, and X carries sizes in 16
    // bits: a larger one wraps, and Xlib's default handler ends the process on the error.
    constexpr int kLargestSide = 32767;
    if (requestedWidth <= 0 || requestedHeight <= 0 || requestedWidth > kLargestSide ||
        requestedHeight > kLargestSide) {
        throw std::runtime_error("failed to create window: the size " + std::to_string(requestedWidth) +
                                 " by " + std::to_string(requestedHeight) + " is not between 1 and " +
                                 std::to_string(kLargestSide) + " pixels");
    }
}

void OrvWindow::checkTitle(const std::string& title) {
    // GLFW takes C strings: the title would end at the NUL without a word.
    if (title.find('\0') != std::string::npos) {
        throw std::invalid_argument("a window title cannot contain NUL characters");
    }
}

namespace {

// The primary monitor and its current video mode, or a RuntimeError when there is none.
std::pair<GLFWmonitor*, const GLFWvidmode*> primaryMonitorMode() {
    GLFWmonitor* monitor = glfwGetPrimaryMonitor();
    const GLFWvidmode* mode = monitor != nullptr ? glfwGetVideoMode(monitor) : nullptr;
    if (mode == nullptr) {
        throw std::runtime_error("cannot go full screen: the window system reports no monitor");
    }
    return {monitor, mode};
}

}  // namespace

OrvWindow::OrvWindow(int w, int h, const WindowOptions& o)
    : width{w}, height{h}, windowedWidth{w}, windowedHeight{h}, options{o} {
    checkSize(width, height);
    checkTitle(options.title);
    if (glfwInit() != GLFW_TRUE) {
        throw std::runtime_error(
            "failed to initialise the window system: no X display could be opened "
            "(is DISPLAY set and the X server running?)");
    }
    attachWindowSystemGuard();
    glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
    glfwWindowHint(GLFW_RESIZABLE, options.resizable ? GLFW_TRUE : GLFW_FALSE);
    // Full screen keeps the desktop's video mode, so losing focus has nothing to give back:
    // the window stays up and drawing rather than being minimised.
    glfwWindowHint(GLFW_AUTO_ICONIFY, GLFW_FALSE);
    GLFWmonitor* monitor = nullptr;
    if (options.fullscreen) {
        // Made on the monitor at once, at its own mode, so no video mode changes and no
        // windowed frame shows first.
        try {
            const auto [primary, mode] = primaryMonitorMode();
            monitor = primary;
            glfwWindowHint(GLFW_REFRESH_RATE, mode->refreshRate);
            int monitorX = 0;
            int monitorY = 0;
            glfwGetMonitorPos(monitor, &monitorX, &monitorY);
            // Leaving full screen puts the window in the middle of the monitor.
            windowedX = monitorX + std::max(0, (mode->width - width) / 2);
            windowedY = monitorY + std::max(0, (mode->height - height) / 2);
            width = mode->width;
            height = mode->height;
        } catch (...) {
            glfwTerminate();
            throw;
        }
    }
    handle = glfwCreateWindow(width, height, options.title.c_str(), monitor, nullptr);
    if (handle == nullptr) {
        glfwTerminate();
        throw std::runtime_error("failed to create window: the window system refused a " +
                                 std::to_string(width) + " by " + std::to_string(height) +
                                 " window (is the size positive and a display available?)");
    }
    guardWindowSystem();
    watchWindow(handle);
    // Keys held in an earlier window would never see their release in this one.
    releaseTrackedKeys();
    glfwSetWindowUserPointer(handle, this);
    glfwSetFramebufferSizeCallback(handle, onFramebufferResize);
    glfwSetWindowRefreshCallback(handle, onRefresh);
    glfwSetKeyCallback(handle, keyCallback);
    glfwSetMouseButtonCallback(handle, mouseButtonCallback);
    glfwSetCursorPosCallback(handle, cursorPosCallback);
    glfwSetScrollCallback(handle, scrollCallback);
    glfwSetCharCallback(handle, charCallback);
    if (monitor != nullptr) {
        takeFramebufferSize();
    }
}

OrvWindow::~OrvWindow() {
    close();
}

void OrvWindow::close() {
    if (closed) {
        return;
    }
    closed = true;
    // Errors about a window another client destroyed are expected here; a lost connection
    // makes every Xlib call a no-op.
    guardWindowSystem();
    glfwDestroyWindow(handle);
    glfwTerminate();
    watchWindow(nullptr);
}

bool OrvWindow::shouldClose() const {
    if (closed) {
        return false;
    }
    return isGone() || glfwWindowShouldClose(handle) != 0;
}

bool OrvWindow::isGone() const {
    return !closed && (windowSystemLost() || checkWindowDestroyed());
}

void OrvWindow::throwIfGone() const {
    if (closed) {
        return;
    }
    if (windowSystemLost()) {
        throw std::runtime_error(windowSystemLostMessage());
    }
    if (checkWindowDestroyed()) {
        throw std::runtime_error("the window was destroyed by another program; call qel.init() to open a new one");
    }
}

void OrvWindow::pollEvents() {
    throwIfGone();
    guardWindowSystem();
    glfwPollEvents();
    throwIfGone();
}

void OrvWindow::waitEvents() {
    throwIfGone();
    guardWindowSystem();
    glfwWaitEvents();
    throwIfGone();
}

Point2D OrvWindow::cursor() {
    Point2D position{-1.0, -1.0};
    // A closed window's library is shut down and reports no hovering.
    if (closed || isGone()) {
        return position;
    }
    guardWindowSystem();
    if (glfwGetWindowAttrib(handle, GLFW_HOVERED) != 0) {
        glfwGetCursorPos(handle, &position.x, &position.y);
    }
    guardWindowSystem();
    throwIfGone();
    return position;
}

VkExtent2D OrvWindow::extent() const {
    return {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
}

void OrvWindow::setTitle(const std::string& title) {
    checkTitle(title);
    if (closed) {
        return;
    }
    throwIfGone();
    guardWindowSystem();
    glfwSetWindowTitle(handle, title.c_str());
    options.title = title;
    guardWindowSystem();
    throwIfGone();
}

void OrvWindow::setIcon(int iconWidth, int iconHeight, const unsigned char* rgba) {
    if (closed) {
        return;
    }
    throwIfGone();
    // GLFW copies the pixels and never writes them.
    GLFWimage image{iconWidth, iconHeight, const_cast<unsigned char*>(rgba)};
    guardWindowSystem();
    glfwSetWindowIcon(handle, 1, &image);
    guardWindowSystem();
    throwIfGone();
}

void OrvWindow::setCursorVisible(bool visible) {
    if (closed) {
        return;
    }
    throwIfGone();
    guardWindowSystem();
    glfwSetInputMode(handle, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
    guardWindowSystem();
    throwIfGone();
}

bool OrvWindow::isFullscreen() const {
    return !closed && glfwGetWindowMonitor(handle) != nullptr;
}

void OrvWindow::setFullscreen(bool fullscreen) {
    if (closed || fullscreen == isFullscreen()) {
        return;
    }
    throwIfGone();
    guardWindowSystem();
    if (fullscreen) {
        const auto [monitor, mode] = primaryMonitorMode();
        glfwGetWindowPos(handle, &windowedX, &windowedY);
        glfwGetWindowSize(handle, &windowedWidth, &windowedHeight);
        glfwSetWindowMonitor(handle, monitor, 0, 0, mode->width, mode->height, mode->refreshRate);
    } else {
        glfwSetWindowMonitor(handle, nullptr, windowedX, windowedY, windowedWidth, windowedHeight, GLFW_DONT_CARE);
    }
    guardWindowSystem();
    throwIfGone();
    options.fullscreen = fullscreen;
    // The size event comes later, maybe after the next frame: that frame is already drawn at
    // the new size.
    takeFramebufferSize();
    resized = true;
}

void OrvWindow::takeFramebufferSize() {
    guardWindowSystem();
    glfwGetFramebufferSize(handle, &width, &height);
    guardWindowSystem();
}

VkExtent2D OrvWindow::framebufferExtent() const {
    int framebufferWidth = 0;
    int framebufferHeight = 0;
    glfwGetFramebufferSize(handle, &framebufferWidth, &framebufferHeight);
    return {static_cast<uint32_t>(std::max(framebufferWidth, 0)), static_cast<uint32_t>(std::max(framebufferHeight, 0))};
}

SurfaceRequest OrvWindow::surfaceRequest() {
    SurfaceRequest request;
    uint32_t count = 0;
    const char** names = glfwGetRequiredInstanceExtensions(&count);
    if (names != nullptr) {
        request.instanceExtensions.assign(names, names + count);
    }
    request.create = [this](VkInstance instance) {
        VkSurfaceKHR surface = VK_NULL_HANDLE;
        const VkResult result = glfwCreateWindowSurface(instance, handle, nullptr, &surface);
        if (result != VK_SUCCESS) {
            printVkResult(result);
            throw vkError("failed to create window surface", result);
        }
        return surface;
    };
    return request;
}

void OrvWindow::onRefresh(GLFWwindow* window) {
    static_cast<OrvWindow*>(glfwGetWindowUserPointer(window))->damaged = true;
}

void OrvWindow::onFramebufferResize(GLFWwindow* window, int newWidth, int newHeight) {
    auto* self = static_cast<OrvWindow*>(glfwGetWindowUserPointer(window));
    self->width = newWidth;
    self->resized = true;
    self->height = newHeight;
}

}  // namespace orv
