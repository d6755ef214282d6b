#pragma once
// The engine's one window: GLFW with no client API, Vulkan surface on request; its title,
// icon, cursor, and whether it can be resized or fills the monitor.

#define GLFW_INCLUDE_VULKAN
#include <GLFW/glfw3.h>

#include <string>

#include "platform/point2d.hpp"
#include "platform/window_options.hpp"
#include "vulkan/orv_device.hpp"

namespace orv {

class OrvWindow {
public:
    OrvWindow(int width, int height, const WindowOptions& options);
    ~OrvWindow();

    // Throws for a size the window system cannot take (each side 1 to 32767).
    static void checkSize(int requestedWidth, int requestedHeight);
    // Throws for a title the window system cannot carry (one with a NUL character).
    static void checkTitle(const std::string& title);

    OrvWindow(const OrvWindow&) = delete;
    OrvWindow& operator=(const OrvWindow&) = delete;

    bool shouldClose() const;
    VkExtent2D extent() const;
    bool isResized() const { return resized; }
    void clearResized() { resized = false; }
    // The window system lost what the window showed (it was covered, say): the next frame
    // must be presented even if it is the same.
    bool needsRedraw() const { return damaged; }
    void clearRedraw() { damaged = false; }
    GLFWwindow* nativeHandle() const { return handle; }

    // The size of the drawable area in pixels, as a swap chain for the window takes it.
    VkExtent2D framebufferExtent() const;
    // What a device needs to present to this window: the instance extensions and the surface.
    SurfaceRequest surfaceRequest();

    // Event processing; both throw once the window or the window system is gone.
    void pollEvents();
    void waitEvents();
    // The cursor over the content area, or (-1, -1) when it is elsewhere.
    Point2D cursor();

    // Another client destroyed the window, or the connection to the X server broke: the
    // window reads as closed and nothing more can be drawn in it.
    bool isGone() const;
    // Throws a RuntimeError saying which of the two happened, if either did.
    void throwIfGone() const;

    // UTF-8 text.
    void setTitle(const std::string& title);
    // RGBA bytes, rows from the top; the window system scales it as it needs.
    void setIcon(int iconWidth, int iconHeight, const unsigned char* rgba);
    void setCursorVisible(bool visible);
    // Full screen covers the primary monitor at its current video mode; leaving it restores
    // the windowed size and position. The next frame is drawn at the new size.
    void setFullscreen(bool fullscreen);
    bool isFullscreen() const;

    // Destroys the window and ends the window system ahead of the engine.
    void close();
    bool isClosed() const { return closed; }

private:
    static void onFramebufferResize(GLFWwindow* window, int newWidth, int newHeight);
    static void onRefresh(GLFWwindow* window);
    // Reads the drawable size from the server now rather than waiting for its event.
    void takeFramebufferSize();

    GLFWwindow* handle = nullptr;
    int width;
    int height;
    // Where the window goes back to when it leaves full screen.
    int windowedX = 0;
    int windowedY = 0;
    int windowedWidth;
    int windowedHeight;
    bool resized = false;
    bool damaged = false;
    WindowOptions options;
    bool closed = false;
};

}  // namespace orv
