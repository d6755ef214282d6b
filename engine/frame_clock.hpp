#pragma once
// The clock a script's frame loop runs by: poll draws at most one frame per sixtieth of a
// second, and a frame's time is the time since the last drawn frame. nextFrame keeps its
// own schedule at a chosen rate; a fixed step replaces real time altogether, so a recorded
// run replays the same.

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

    // A poll at `nowNs`: whether it draws, and the frame time it sees. Under a fixed step
    // every poll draws, one step after the last frame.
    Step poll(std::int64_t nowNs);
    // The poll that just ran drew its frame.
    void drawn() { lastFrameTime = currentTime; }
    // The time of the latest poll.
    std::int64_t now() const { return currentTime; }

    // nextFrame's schedule: frames `intervalNs` apart (0: no waiting). A new pace counts from
    // the frame the schedule last placed, so it takes effect with the next frame.
    void setPace(std::int64_t intervalNs) { paceNs = intervalNs; }
    std::int64_t pace() const { return paceNs; }
    // Starts the schedule afresh: the next paced frame is due at once, and is taken to be one
    // interval long (it has no previous frame to measure from).
    void unschedule() {
        scheduled = false;
        fresh = true;
    }
    // Whether the next paced frame is the first of a fresh schedule (never under a fixed step).
    bool firstPacedFrame() const { return fresh && fixedStepNs == 0; }
    // When the next paced frame is due: at once for the first, with no pace, or under a
    // fixed step.
    std::int64_t dueAt(std::int64_t nowNs) const {
        return scheduled && paceNs > 0 && fixedStepNs == 0 ? placed + paceNs : nowNs;
    }
    // A paced frame was drawn at `nowNs`. The schedule advances by whole intervals so the
    // rate holds on average; a loop that fell more than a frame behind starts afresh rather
    // than catching up in a burst.
    void pacedFrameDrawn(std::int64_t nowNs);

    // Every frame `stepNs` after the last, whatever the time (0: real time again).
    void setFixedStep(std::int64_t stepNs);
    std::int64_t fixedStep() const { return fixedStepNs; }

private:
    std::int64_t currentTime;
    std::int64_t lastFrameTime;
    std::int64_t paceNs = 16'666'667;
    // Where the schedule placed the last paced frame.
    std::int64_t placed = 0;
    bool scheduled = false;
    bool fresh = true;
    std::int64_t fixedStepNs = 0;
};

}  // namespace orv
