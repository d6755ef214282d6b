#pragma once
// Process-wide state of the scripting module: the engine slot, the drawing-area size
// and the frame clock.

#include <cstdint>
#include <memory>

#include "engine/frame_clock.hpp"

namespace orv {
class OrvApp;
}

namespace qel {

// Empty until the first successful init.
extern std::unique_ptr<orv::OrvApp> engine;

// Size of the drawing area: the window's size after init (the size given to it, or the
// monitor's in full screen), then the extent of the latest recorded frame; a switch to or
// from full screen sets it at once.
extern float windowWidth;
extern float windowHeight;

// The frame clock, started at the module's load time.
extern orv::FrameClock frameClock;

// A stored size truncated toward zero; sizes beyond int saturate and NaN reads as 0,
// where a plain cast would be undefined.
int truncateSize(float size);

// Counts the engines installed and destroyed, so a loop that ran Python code (a signal
// handler) can tell whether its engine is still the installed one.
extern std::uint64_t engineGeneration;

// The installed engine, or a RuntimeError telling the script to call init first. In a
// process forked after init the engine belongs to the parent: a RuntimeError too.
orv::OrvApp& requireEngine();

// Records the installed engine as this process's; called by init.
void installEngine(std::unique_ptr<orv::OrvApp> app);

// Whether this process was forked from the one that made the installed engine.
bool engineBelongsToParent();

// The installed engine with an open window; poll and run need it.
orv::OrvApp& requireOpenWindow();

// Tears the engine down; called on re-init and at interpreter exit. In a forked child the
// engine is only set aside in abandonedEngine: its driver threads and window-system
// connection are the parent's.
void destroyEngine() noexcept;
extern orv::OrvApp* abandonedEngine;

}  // namespace qel
