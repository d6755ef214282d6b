#include "bindings/lifetime_functions.hpp"

#include <exception>
#include <iostream>
#include <string>

#include "bindings/frame_pacing.hpp"
#include "bindings/module_directory.hpp"
#include "bindings/module_state.hpp"
#include "engine/frame_memory.hpp"
#include "engine/orv_app.hpp"
#include "engine/orv_window.hpp"

namespace py = pybind11;

namespace qel {

namespace {
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// Puts the drawing-area size back when init fails, so a window still open (or the next
// one) is not measured by a size that never reached the screen.
class KeepSizeOnFailure {
public:
    ~KeepSizeOnFailure() {
        if (std::uncaught_exceptions() > failing) {
            windowWidth = width;
            windowHeight = height;
        }
    }

private:
    int failing = std::uncaught_exceptions();
    float width = windowWidth;
    float height = windowHeight;
};
}  // namespace

void init(const py::list& items, int width, int height) {
    const KeepSizeOnFailure keepSize;
    windowWidth = static_cast<float>(width);
    windowHeight = static_cast<float>(height);

    const std::string moduleFile = py::module_::import("qel").attr("__file__").cast<std::string>();
    const std::string dataDirectory = dataDirectoryOf(moduleFile, kPathSeparator);
    std::cout << "\nLoading shaders from: " << dataDirectory << kPathSeparator << "shaders" << std::endl;

    for (const py::handle item : items) {
        (void)item.cast<std::string>();
    }

    // Refused here, while the running engine and its window are still intact.
    orv::OrvWindow::checkSize(width, height);
    // The old engine goes first: destroying it ends the window system, which a new
    // window would not survive.
    destroyEngine();
    orv::keepFrameMemory();
    engine = std::make_unique<orv::OrvApp>(dataDirectory);
}

void run() {
    orv::OrvApp& app = requireOpenWindow();
    // Ctrl-C in the terminal must be able to stop a loop that never returns to Python.
    app.run([] {
        if (PyErr_CheckSignals() != 0) {
            throw py::error_already_set();
        }
    });
}

void poll() {
    orv::OrvApp& app = requireOpenWindow();
    glfwPollEvents();
    currentTime = steadyNowNs();
    const PaceStep step = paceFrame(currentTime, lastFrameTime);
    app.frameTime = step.frameTime;
    if (step.draw) {
        app.drawFrame();
        lastFrameTime = currentTime;
    }
}

bool shouldClose() {
    return requireEngine().getWindow().shouldClose();
}

void closeWindow() {
    requireEngine().closeWindow();
}

}  // namespace qel
