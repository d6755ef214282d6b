#include "engine/frame_clock.hpp"

#include <chrono>

namespace orv {

std::int64_t FrameClock::steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FrameClock::Step FrameClock::poll(std::int64_t nowNs) {
    if (fixedStepNs > 0) {
        currentTime = lastFrameTime + fixedStepNs;
        return Step{static_cast<double>(fixedStepNs) / 1'000'000'000.0, true};
    }
    currentTime = nowNs;
    // In integers: a double would blur the last few hundred nanoseconds of a clock that has
    // run for days.
    const std::int64_t elapsed = currentTime - lastFrameTime;
    return Step{static_cast<double>(elapsed) / 1'000'000'000.0, elapsed >= kFrameIntervalNs};
}

void FrameClock::pacedFrameDrawn(std::int64_t nowNs) {
    const std::int64_t due = placed + paceNs;
    placed = scheduled && paceNs > 0 && nowNs - due < paceNs ? due : nowNs;
    scheduled = true;
    fresh = false;
}

void FrameClock::setFixedStep(std::int64_t stepNs) {
    // Real time resumes from now, not from where the fixed steps have got to.
    if (stepNs == 0 && fixedStepNs > 0) {
        currentTime = lastFrameTime = steadyNowNs();
    }
    fixedStepNs = stepNs;
    scheduled = false;
}

}  // namespace orv
