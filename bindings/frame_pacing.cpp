#include "bindings/frame_pacing.hpp"

#include <time.h>

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

// Sleeps until the steady clock reads `dueNs`, with the interpreter released so other
// threads run. A signal cuts the sleep short so its Python handler runs (and may raise).
void sleepUntil(std::int64_t dueNs) {
    const timespec due{static_cast<time_t>(dueNs / kNsPerSecond), static_cast<long>(dueNs % kNsPerSecond)};
    while (orv::FrameClock::steadyNowNs() < dueNs) {
        {
            py::gil_scoped_release release;
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
        }
        if (PyErr_CheckSignals() != 0) {
            throw py::error_already_set();
        }
    }
}

// The first frame after a start or a change of pace has no previous one to measure from.
bool freshSchedule = true;

double seconds(std::int64_t ns) { return static_cast<double>(ns) / static_cast<double>(kNsPerSecond); }

void setFrameRate(double fps) {
    // Beyond these a frame would wait for minutes, or the interval would round to nothing.
    if (!(fps == 0.0 || (fps >= 0.1 && fps <= 1e6))) {
        throw py::value_error("the frame rate must be 0 (no waiting) or between 0.1 and 1000000 frames a second");
    }
    frameClock.setPace(fps == 0.0 ? 0 : std::llround(static_cast<double>(kNsPerSecond) / fps));
    freshSchedule = true;
}

void setFixedStep(double stepSeconds) {
    if (!std::isfinite(stepSeconds) || stepSeconds < 0.0 || (stepSeconds > 0.0 && stepSeconds < 1e-6) ||
        stepSeconds > 3600.0) {
        throw py::value_error("the fixed step must be 0 (real time) or between a microsecond and an hour, in seconds");
    }
    frameClock.setFixedStep(std::llround(stepSeconds * static_cast<double>(kNsPerSecond)));
    freshSchedule = true;
}

}  // namespace

void restartPacing() {
    frameClock.setPace(frameClock.pace());
    freshSchedule = true;
}

double nextFrame() {
    return withOutput([] {
        orv::OrvApp* app = &requireOpenWindow();
        if (frameClock.fixedStep() == 0) {
            const std::int64_t due = frameClock.dueAt(orv::FrameClock::steadyNowNs());
            sleepUntil(due - kFinalPollNs);
            // Python ran while the interpreter was released: the engine may be another now.
            app = &requireOpenWindow();
            app->pollEvents();
            sleepUntil(due);
            app = &requireOpenWindow();
        } else {
            app->pollEvents();
        }
        const orv::FrameClock::Step step = frameClock.poll(orv::FrameClock::steadyNowNs());
        const bool first = freshSchedule && frameClock.fixedStep() == 0;
        app->frameTime = first ? seconds(frameClock.pace()) : step.frameTime;
        app->drawFrame();
        followDrawnSize(*app);
        frameClock.drawn();
        frameClock.pacedFrameDrawn(frameClock.now());
        freshSchedule = false;
        return app->frameTime;
    });
}

void runWith(const py::function& update) {
    const auto running = [] {
        orv::OrvApp& app = requireEngine();
        return !app.isClosed() && !app.shouldClose();
    };
    requireOpenWindow();
    while (running()) {
        const double dt = nextFrame();
        if (!running()) break;
        const py::object result = update(dt);
        if (result.ptr() == Py_False) break;
    }
    if (engine && !engineBelongsToParent()) {
        engine->waitIdle();
    }
}

void registerFramePacing(py::module_& m) {
    m.def("nextFrame", &nextFrame,
          "Waits (sleeping) until the next frame is due at the frame rate, processes window events, draws the frame "
          "and returns the seconds since the previous drawn frame (the frame interval for the first). A game loop: "
          "while not qel.shouldClose(): dt = qel.nextFrame(); ...");
    m.def("setFrameRate", &setFrameRate, py::arg("fps"),
          "The rate nextFrame and run(update) keep, in frames a second (default 60; 0: no waiting, as fast as "
          "presenting allows). poll keeps its own cap of 60.");
    m.def("setFixedStep", &setFixedStep, py::arg("seconds"),
          "Every frame is exactly this long: deltaTime(), nextFrame() and the step moves see it, and frames are "
          "drawn without waiting, so a run with injected input replays to the same pixels. 0 restores real time.");
}

}  // namespace qel
