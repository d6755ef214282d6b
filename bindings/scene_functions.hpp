#pragma once
// Creating, moving, recolouring and asking about shapes, plus the frame and window queries.

#include <cstdint>
#include <string>

#include <pybind11/pybind11.h>

#include "bindings/shape_handles.hpp"

namespace qel {

void loadGameObjects();
uint32_t createTri();
Rectangle createRectangle(double x, double y, double height, double width, const std::string& color,
                          double speed);
void moveTo(uint32_t id, double x, double y);
Circle createCircle(double x, double y, double radius, const std::string& color, double speed);
double deltaTime();
int getWindowWidth();
int getWindowHeight();
void updateColor(uint32_t id, int32_t packedColor);
bool isInside(uint32_t id, double x, double y);
std::string getData();

// What setColor on a handle does: parse the text, then recolour by identifier.
void setColorById(uint32_t id, const std::string& color);

// Beyond the functions above: removing, layers, picking, batches and reading the frame back.
bool removeObject(uint32_t id);
void setLayer(uint32_t id, int32_t layer);
int64_t objectAt(double x, double y);
void moveMany(pybind11::handle ids, pybind11::handle xs, pybind11::handle ys);
void updateColors(pybind11::handle ids, pybind11::handle colours);
pybind11::bytes readPixels();
void screenshot(const pybind11::object& path);

}  // namespace qel
