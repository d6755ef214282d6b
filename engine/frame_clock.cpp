#include "engine/frame_clock.hpp"

#include <chrono>

namespace orv {

std::int64_t FrameClock::steadyNowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

FrameClock::Step FrameClock::poll(std::int64_t nowNs) {
    currentTime = nowNs;
    // In integers: a double would blur the last few hundred nanoseconds of a clock that has
    // run for days.
    const std::int64_t elapsed = currentTime - lastFrameTime;
    return Step{static_cast<double>(elapsed) / 1'000'000'000.0, elapsed >= kFrameIntervalNs};
}

}  // namespace orv
