#pragma once
// The clock a script's frame loop runs by: poll draws at most one frame per sixtieth of a
// second, and a frame's time is the time since the last drawn frame.

#include <cstdint>

namespace orv {

class FrameClock {
public:
    // One sixtieth of a second, truncated.
    static constexpr std::int64_t kFrameIntervalNs = 16'666'666;

    struct Step {
        double frameTime;  // seconds since the last drawn frame
        bool draw;         // whether this poll draws
    };

    // Monotonic nanoseconds of the steady clock.
    static std::int64_t steadyNowNs();

    // Starts with its last frame at `startNs`.
    explicit FrameClock(std::int64_t startNs = steadyNowNs()) : currentTime{startNs}, lastFrameTime{startNs} {}

    // A poll at `nowNs`: whether it draws, and the frame time it sees.
    Step poll(std::int64_t nowNs);
    // The poll that just ran drew its frame.
    void drawn() { lastFrameTime = currentTime; }
    // The time of the latest poll.
    std::int64_t now() const { return currentTime; }

private:
    std::int64_t currentTime;
    std::int64_t lastFrameTime;
};

}  // namespace orv
