#include "bindings/lifetime_functions.hpp"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

#include "bindings/colour_argument.hpp"
#include "bindings/frame_pacing.hpp"
#include "bindings/module_directory.hpp"
#include "bindings/python_output.hpp"
#include "bindings/text_argument.hpp"
#include "bindings/path_argument.hpp"
#include "bindings/module_state.hpp"
#include "bindings/window_functions.hpp"
#include "platform/frame_memory.hpp"
#include "engine/orv_app.hpp"
#include "platform/orv_window.hpp"

namespace py = pybind11;

namespace qel {

namespace {
#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// QEL_RENDERER names the renderer; unset or empty lets the engine choose by device.
orv::RendererChoice rendererChoice() {
    const char* value = std::getenv("QEL_RENDERER");
    if (value == nullptr || *value == '\0') {
        return orv::RendererChoice::Auto;
    }
    const std::string name = value;
    if (name == "raster") {
        return orv::RendererChoice::Raster;
    }
    if (name == "tiles") {
        return orv::RendererChoice::Tiles;
    }
    throw std::runtime_error("QEL_RENDERER is \"" + name +
                             "\": it must be \"raster\" or \"tiles\", or unset to let qel choose");
}

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

void followDrawnSize(orv::OrvApp& app) {
    const VkExtent2D extent = app.frameLoop().drawnExtent();
    if (extent.width != 0) {
        windowWidth = static_cast<float>(extent.width);
        windowHeight = static_cast<float>(extent.height);
    }
}

void init(const py::list& items, int width, int height, const orv::EngineOptions& options) {
    const KeepSizeOnFailure keepSize;
    windowWidth = static_cast<float>(width);
    windowHeight = static_cast<float>(height);

    const std::string moduleFile = py::module_::import("qel").attr("__file__").cast<std::string>();
    const std::string dataDirectory = dataDirectoryOf(moduleFile, kPathSeparator);
    std::cout << "\nLoading shaders from: " << dataDirectory << kPathSeparator << "shaders" << std::endl;

    for (const py::handle item : items) {
        (void)item.cast<std::string>();
    }
    const orv::RendererChoice choice = rendererChoice();

    // A forked child shares the parent's window-system connection: a window made here
    // would be made on the parent's behalf.
    if (engineBelongsToParent()) {
        requireEngine();
    }

    // Refused here, while the running engine and its window are still intact.
    orv::OrvWindow::checkSize(width, height);
    // The old engine goes first: destroying it ends the window system, which a new
    // window would not survive.
    destroyEngine();
    orv::keepFrameMemory();
    installEngine(std::make_unique<orv::OrvApp>(dataDirectory, truncateSize(windowWidth),
                                                truncateSize(windowHeight), choice, options));
    restartPacing();
}

void run() {
    using Loop = orv::OrvApp::Loop;
    orv::OrvApp& app = requireOpenWindow();
    const std::uint64_t generation = engineGeneration;
    // A signal handler (Ctrl-C, SIGTERM, an alarm) runs Python code here. It may close the
    // window, which ends the loop, or replace the engine, after which the loop must not
    // touch this one again.
    std::unique_ptr<py::error_already_set> raised;
    app.run([&] {
        followDrawnSize(app);
        const bool signalled = PyErr_CheckSignals() != 0;
        if (engineGeneration != generation) {
            if (signalled) {
                raised = std::make_unique<py::error_already_set>();
            }
            return Loop::Abandon;
        }
        if (signalled) {
            throw py::error_already_set();
        }
        // Writing to sys.stdout runs Python code too.
        try {
            flushOutput();
        } catch (py::error_already_set& error) {
            if (engineGeneration == generation) throw;
            raised = std::make_unique<py::error_already_set>(std::move(error));
        }
        if (engineGeneration != generation) {
            return Loop::Abandon;
        }
        return app.isClosed() ? Loop::Stop : Loop::Continue;
    });
    if (raised) {
        throw std::move(*raised);
    }
    flushOutput();
}

void poll() {
    withOutput([] {
        orv::OrvApp& app = requireOpenWindow();
        app.pollEvents();
        if (app.step(frameClock, false)) {
            followDrawnSize(app);
        }
    });
}

void registerInit(py::module_& m) {
    m.def(
        "init",
        [](const py::list& items, int width, int height, bool offscreen, const std::string& title, bool resizable,
           bool fullscreen, bool vsync, const py::object& icon, const py::object& background,
           const py::object& quiet) {
            if (!quiet.is_none()) {
                setQuiet(quiet.cast<bool>());
            }
            orv::EngineOptions options;
            options.offscreen = offscreen;
            requireUtf8(title, "a title");
            options.window.title = title;
            options.window.resizable = resizable;
            options.window.fullscreen = fullscreen;
            options.vsync = vsync;
            if (!icon.is_none()) {
                options.iconPath = pathArgument(icon);
                if (options.iconPath.empty()) {
                    throw py::value_error("icon: an empty path names no file (None: no icon)");
                }
            }
            options.background = colourArgument(background);
            // Refused while the running engine and its window are still intact.
            namingPath([&] { orv::OrvApp::checkOptions(options); });
            withOutput([&] { init(items, width, height, options); });
            followWindowSize();
        },
        py::arg("items"), py::arg("width"), py::arg("height"), py::pos_only(), py::kw_only(),
        py::arg("offscreen") = false, py::arg("title") = "Qel Demo", py::arg("resizable") = false,
        py::arg("fullscreen") = false, py::arg("vsync") = true, py::arg("icon") = py::none(),
        py::arg("background") = "#030303", py::arg("quiet") = py::none(),
        R"doc(Opens a window of ``width`` by ``height`` pixels and starts the engine.

A second call replaces the engine, its window and its scene. Prints a start-up trace unless
qel is quiet. The options are checked before anything changes, so a bad one leaves a running
engine and its window as they were.

Args:
    items (list[str]): a list of text, unused (kept for older scripts; ``[]`` will do).
    width (int): the drawing area's width in pixels.
    height (int): the drawing area's height in pixels.
    offscreen (bool): no window: frames are drawn into an image of the engine's own, for
        ``readPixels`` and ``screenshot``; needs no display. Default False.
    title (str): the window's title. Default ``"Qel Demo"``.
    resizable (bool): whether the user may resize the window. Default False.
    fullscreen (bool): cover the primary monitor at its current video mode. Default False.
    vsync (bool): present in step with the display; False picks the fastest mode offered.
        Default True.
    icon (str or bytes or os.PathLike or None): a PNG or JPEG file for the window's icon.
        Default None, no icon.
    background (str or int or tuple or list): the colour where nothing is drawn, as
        ``setBackground`` takes it. Default ``"#030303"``.
    quiet (bool or None): True prints nothing, False prints (see ``setQuiet``); default
        None keeps the current mode.

Returns:
    None

Raises:
    RuntimeError: when the size is not 1 to 32767 pixels a side ("failed to create window:
        the size 0 by 240 is not between 1 and 32767 pixels"), the window or the Vulkan device
        cannot be set up, the icon file cannot be read ("cannot load PATH: ..."), an item of
        ``items`` is not text, or ``QEL_RENDERER`` names no renderer.
    ValueError: when the title or the icon path holds a NUL character, or ``background`` is
        not a colour ("not a colour: ...").
    TypeError: when an argument has the wrong type (``items`` not a list, a size not an int).

Example:
    >>> qel.init([], 320, 240, offscreen=True, quiet=True)
    >>> qel.getWindowWidth(), qel.getWindowHeight()
    (320, 240)
)doc");
}

bool shouldClose() {
    return requireEngine().shouldClose();
}

void closeWindow() {
    requireEngine().closeWindow();
    wakeFrameWait();
}

std::string getRenderer() {
    return orv::rendererName(requireEngine().rendererKind());
}

}  // namespace qel
