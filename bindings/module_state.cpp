#include "bindings/module_state.hpp"

#include <pthread.h>

#include <limits>
#include <stdexcept>

#include "engine/orv_app.hpp"

namespace qel {

int truncateSize(float size) {
    if (!(size == size)) {
        return 0;
    }
    if (size >= 2147483647.0f) {
        return std::numeric_limits<int>::max();
    }
    if (size <= -2147483648.0f) {
        return std::numeric_limits<int>::min();
    }
    return static_cast<int>(size);
}

std::unique_ptr<orv::OrvApp> engine;
float windowWidth = 0.0f;
float windowHeight = 0.0f;
orv::FrameClock frameClock;

std::uint64_t engineGeneration = 0;

namespace {
// Set in a child forked after the installed engine was made (a flag, so the check costs
// nothing on the hot paths).
bool forkedSinceInstall = false;
}  // namespace

bool engineBelongsToParent() {
    return forkedSinceInstall && engine;
}

orv::OrvApp& requireEngine() {
    if (!engine) {
        throw std::runtime_error("qel.init() must be called first");
    }
    if (engineBelongsToParent()) {
        throw std::runtime_error(
            "this process was forked from the one that called qel.init(): the engine, its window and "
            "its driver belong to the parent; start child processes with multiprocessing's 'spawn' method");
    }
    return *engine;
}

void installEngine(std::unique_ptr<orv::OrvApp> app) {
    static const bool watching = [] { return pthread_atfork(nullptr, nullptr, [] { forkedSinceInstall = true; }) == 0; }();
    (void)watching;
    engine = std::move(app);
    forkedSinceInstall = false;
    ++engineGeneration;
}

orv::OrvApp& requireOpenWindow() {
    orv::OrvApp& app = requireEngine();
    if (app.isClosed()) {
        throw std::runtime_error("the window is closed: call qel.init() to open a new one");
    }
    return app;
}

orv::OrvApp* abandonedEngine = nullptr;

void destroyEngine() noexcept {
    if (engineBelongsToParent()) {
        // Destroying it here would wait for driver threads that do not exist in this process
        // and send requests on the parent's X connection. It is kept, not freed: the process
        // ends with it, and leak checkers see it held.
        abandonedEngine = engine.release();
    }
    engine.reset();
    ++engineGeneration;
}

}  // namespace qel
