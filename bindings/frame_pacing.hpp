#pragma once
// A frame loop that paces itself: nextFrame, the frame rate, a fixed step for replays, and
// run with an update function.

#include <pybind11/pybind11.h>

namespace qel {

// Waits (sleeping) until the next frame is due, processes events, draws it; the seconds
// since the previous drawn frame.
double nextFrame();
// Calls update(dt) once per drawn frame until the window closes or update returns something
// false other than None.
void runWith(const pybind11::object& update);
// A new engine starts its own schedule.
void restartPacing();
// Ends a frame wait in progress on another thread, which then looks again at the pace and
// the window (after setFrameRate or closeWindow).
void wakeFrameWait();

// nextFrame, setFrameRate, setFixedStep.
void registerFramePacing(pybind11::module_& m);

}  // namespace qel
