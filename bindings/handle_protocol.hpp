#pragma once
// The members every handle of a drawn object shares (id, alive, x, y, pos, moveTo, moveBy,
// color, visible, layer; the nine anchor points on boxes), built once for every handle
// class, and the check that a handle's object is still in the scene.

#include <pybind11/pybind11.h>

#include <cstdint>

namespace orv {
class OrvApp;
struct GameObject;
}  // namespace orv

namespace qel {

// The engine, when the object `id` (a `kind`: "Sprite") is in its scene; otherwise a
// RuntimeError "Sprite 12 was removed" (before init, the one telling to call init).
orv::OrvApp& liveEngine(const char* kind, uint32_t id);
const orv::GameObject& liveObject(const char* kind, uint32_t id);

template <typename Handle>
orv::OrvApp& liveEngine(const Handle& handle) {
    return liveEngine(Handle::kKind, handle.id);
}

template <typename Handle>
const orv::GameObject& liveObject(const Handle& handle) {
    return liveObject(Handle::kKind, handle.id);
}

// A number as float() reads it (Python code may run); TypeError naming `what` otherwise.
double numberArgument(const pybind11::handle& value, const char* what);

// Whether `id` names an object of the installed engine; False before init.
bool isAlive(uint32_t id);

// Adds the shared members to Circle, Rectangle, Line, Polygon, Sprite and Text (and so to
// Disc and Rect), after every member of their own.
void registerHandleProtocol(pybind11::module_& m);

}  // namespace qel
