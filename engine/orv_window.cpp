#include "engine/orv_window.hpp"

#include <stdexcept>

#include "diagnostics/vk_result_names.hpp"
#include "input/input_callbacks.hpp"
#include "input/key_tables.hpp"

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

OrvWindow::OrvWindow(int w, int h, std::string t) : width{w}, height{h}, title{std::move(t)} {
    checkSize(width, height);
    if (glfwInit() != GLFW_TRUE) {
        throw std::runtime_error(
            "failed to initialise the window system: no X display could be opened "
            "(is DISPLAY set and the X server running?)");
    }
    glfwWindowHint(GLFW_CLIENT_API, GLFW_NO_API);
    glfwWindowHint(GLFW_RESIZABLE, GLFW_FALSE);
    handle = glfwCreateWindow(width, height, title.c_str(), nullptr, nullptr);
    if (handle == nullptr) {
        glfwTerminate();
        throw std::runtime_error("failed to create window: the window system refused a " +
                                 std::to_string(width) + " by " + std::to_string(height) +
                                 " window (is the size positive and a display available?)");
    }
    // Keys held in an earlier window would never see their release in this one.
    releaseTrackedKeys();
    glfwSetWindowUserPointer(handle, this);
    glfwSetFramebufferSizeCallback(handle, onFramebufferResize);
    glfwSetKeyCallback(handle, keyCallback);
    glfwSetMouseButtonCallback(handle, mouseButtonCallback);
}

OrvWindow::~OrvWindow() {
    close();
}

void OrvWindow::close() {
    if (closed) {
        return;
    }
    closed = true;
    glfwDestroyWindow(handle);
    glfwTerminate();
}

bool OrvWindow::shouldClose() const {
    return !closed && glfwWindowShouldClose(handle) != 0;
}

VkExtent2D OrvWindow::extent() const {
    return {static_cast<uint32_t>(width), static_cast<uint32_t>(height)};
}

void OrvWindow::createSurface(VkInstance instance, VkSurfaceKHR* surface) {
    const VkResult result = glfwCreateWindowSurface(instance, handle, nullptr, surface);
    if (result != VK_SUCCESS) {
        printVkResult(result);
        throw std::runtime_error("failed to create window surface");
    }
}

void OrvWindow::onFramebufferResize(GLFWwindow* window, int newWidth, int newHeight) {
    auto* self = static_cast<OrvWindow*>(glfwGetWindowUserPointer(window));
    self->width = newWidth;
    self->resized = true;
    self->height = newHeight;
}

}  // namespace orv
