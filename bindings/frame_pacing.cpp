#include "bindings/frame_pacing.hpp"

#include <poll.h>
#include <sys/eventfd.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "bindings/lifetime_functions.hpp"
#include "bindings/module_state.hpp"
#include "bindings/python_output.hpp"
#include "engine/orv_app.hpp"

namespace py = pybind11;

namespace qel {

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// How long before a frame is due its events are read: late enough to be fresh, early enough
// that reading them never makes the frame late.
constexpr std::int64_t kFinalPollNs = 2'000'000;

// Written to by wakeFrameWait; read while a frame is waited for, so another thread's change
// of pace or closeWindow ends the wait at once rather than after it.
int wakeFd() {
    static const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    return fd;
}

// Sleeps until the steady clock reads `dueNs`, a signal comes or wakeFrameWait is called,
// with the interpreter released so other threads run. A signal's Python handler runs here
// (and may raise).
void sleepOnce(std::int64_t dueNs) {
    {
        py::gil_scoped_release release;
        const std::int64_t left = std::max<std::int64_t>(dueNs - orv::FrameClock::steadyNowNs(), 0);
        const timespec wait{static_cast<time_t>(left / kNsPerSecond), static_cast<long>(left % kNsPerSecond)};
        pollfd woken{wakeFd(), POLLIN, 0};
        // ppoll ends early on a signal (EINTR), never restarted, as clock_nanosleep did.
        if (::ppoll(&woken, woken.fd >= 0 ? 1 : 0, &wait, nullptr) > 0) {
            std::uint64_t count = 0;
            (void)!::read(woken.fd, &count, sizeof count);
        }
    }
    if (PyErr_CheckSignals() != 0) {
        throw py::error_already_set();
    }
}

// Sleeps until `before` nanoseconds ahead of when the next frame is due, asking again after
// every wake: Python code that ran meanwhile may have changed the rate. False when the
// window was closed meanwhile.
bool waitForFrame(std::int64_t before) {
    for (;;) {
        if (!engine || engine->isClosed()) {
            return false;
        }
        const std::int64_t now = orv::FrameClock::steadyNowNs();
        const std::int64_t due = frameClock.dueAt(now) - before;
        if (now >= due) {
            return true;
        }
        sleepOnce(due);
    }
}

void setFrameRate(double fps) {
    // Beyond these a frame would wait for minutes, or the interval would round to nothing.
    if (!(fps == 0.0 || (fps >= 0.1 && fps <= 1e6))) {
        throw py::value_error("the frame rate must be 0 (no waiting) or between 0.1 and 1000000 frames a second");
    }
    frameClock.setPace(fps == 0.0 ? 0 : std::llround(static_cast<double>(kNsPerSecond) / fps));
    wakeFrameWait();
}

void setFixedStep(double stepSeconds) {
    if (!std::isfinite(stepSeconds) || stepSeconds < 0.0 || (stepSeconds > 0.0 && stepSeconds < 1e-6) ||
        stepSeconds > 3600.0) {
        throw py::value_error("the fixed step must be 0 (real time) or between a microsecond and an hour, in seconds");
    }
    frameClock.setFixedStep(std::llround(stepSeconds * static_cast<double>(kNsPerSecond)));
}

}  // namespace

void wakeFrameWait() {
    const std::uint64_t one = 1;
    if (wakeFd() >= 0) (void)!::write(wakeFd(), &one, sizeof one);
}

void restartPacing() {
    frameClock.unschedule();
}

double nextFrame() {
    return withOutput([] {
        orv::OrvApp* app = &requireOpenWindow();
        // Python ran while the interpreter was released: the engine may be another now, or
        // its window closed, in which case no frame is drawn.
        if (!waitForFrame(kFinalPollNs)) {
            return 0.0;
        }
        app = &requireOpenWindow();
        app->pollEvents();
        if (!waitForFrame(0)) {
            return 0.0;
        }
        app = &requireOpenWindow();
        app->step(frameClock, true);
        followDrawnSize(*app);
        return app->frameSeconds();
    });
}

void runWith(const py::object& update) {
    if (!PyCallable_Check(update.ptr())) {
        throw py::type_error("run(update): update must be callable with the frame's seconds, not " +
                             std::string(py::str(py::type::of(update).attr("__name__"))));
    }
    const auto running = [] {
        orv::OrvApp& app = requireEngine();
        return !app.isClosed() && !app.shouldClose();
    };
    requireOpenWindow();
    while (running()) {
        const double dt = nextFrame();
        if (!running()) break;
        const py::object result = update(dt);
        // False, or anything false but None (NumPy's False from a comparison, say), ends the
        // game; returning nothing goes on.
        if (!result.is_none()) {
            const int truth = PyObject_IsTrue(result.ptr());
            if (truth < 0) throw py::error_already_set();
            if (truth == 0) break;
        }
    }
    if (engine && !engineBelongsToParent()) {
        engine->waitIdle();
    }
}

void registerFramePacing(py::module_& m) {
    m.def("nextFrame", &nextFrame, R"doc(Waits for the next frame's turn, processes window events and draws the frame.

Sleeps (with the interpreter released, so signal handlers and other threads run) until the
next frame is due at the frame rate (see ``setFrameRate``), reads the window's events about
2 ms before that, then draws. Frames keep a fixed schedule; a loop more than a frame behind
starts a fresh one instead of catching up in a burst.

Returns:
    float: the seconds since the previous drawn frame (the frame interval for the first
    frame after ``init``; the step under ``setFixedStep``); 0 when the window was closed
    while it waited, and no frame was drawn.

Raises:
    RuntimeError: before ``init`` ("qel.init() must be called first") or once the window is
        closed ("the window is closed: call qel.init() to open a new one").

Example:
    >>> qel.setFixedStep(0.02)
    >>> for _ in range(3):
    ...     dt = qel.nextFrame()
    >>> dt
    0.02
    >>> qel.setFixedStep(0)
)doc");
    m.def("setFrameRate", &setFrameRate, py::arg("fps"), R"doc(Sets the rate ``nextFrame`` and ``run(update)`` keep.

A new rate counts from the last frame and takes effect at once. ``poll`` keeps its own cap
of 60 frames a second. Works before ``init``.

Args:
    fps (float): frames a second, from 0.1 to 1000000; 0 never waits (frames as fast as
        presenting allows). Default 60.

Returns:
    None

Raises:
    ValueError: when ``fps`` is neither 0 nor between 0.1 and 1000000.
    TypeError: when ``fps`` is not a number.

Example:
    >>> qel.setFrameRate(30)
    >>> qel.setFrameRate(60)
)doc");
    m.def("setFixedStep", &setFixedStep, py::arg("seconds"), R"doc(Makes every frame exactly ``seconds`` long, for replays and tests.

``deltaTime()``, ``nextFrame()`` and the step moves see the step, and frames are drawn
without waiting, so a run with injected input replays to the same pixels. Works before
``init``.

Args:
    seconds (float): the length of a frame, from a microsecond to an hour; 0 (the default)
        restores real time.

Returns:
    None

Raises:
    ValueError: when ``seconds`` is not 0 nor between 1e-6 and 3600.
    TypeError: when ``seconds`` is not a number.

Example:
    >>> qel.setFixedStep(1 / 50)
    >>> qel.nextFrame()
    0.02
    >>> qel.setFixedStep(0)
)doc");
}

}  // namespace qel
