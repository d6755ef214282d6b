#include "bindings/scene_functions.hpp"

#include "bindings/color.hpp"
#include "bindings/module_state.hpp"
#include "diagnostics/device_report.hpp"
#include "engine/orv_app.hpp"

namespace qel {

void loadGameObjects() {
    requireEngine().loadGameObjects();
}

uint32_t createTri() {
    return requireEngine().createTri();
}

Rectangle createRectangle(double x, double y, double height, double width, const std::string& color,
                          double speed) {
    orv::OrvApp& app = requireEngine();
    const int32_t packed = orv::parseColor(color);
    // width runs along x and height along y, so the drawn area matches the handle's limits.
    const uint32_t id = app.createRectangle(x, y, width, height, packed);
    return Rectangle{id, Point2D{x, y}, height, width, speed};
}

void moveTo(uint32_t id, double x, double y) {
    requireEngine().moveTo(id, x, y);
}

Circle createCircle(double x, double y, double radius, const std::string& color, double speed) {
    orv::OrvApp& app = requireEngine();
    const int32_t packed = orv::parseColor(color);
    const uint32_t id = app.createCircle(x, y, radius, packed);
    return Circle{id, Point2D{x, y}, radius, speed};
}

double deltaTime() {
    return requireEngine().frameTime;
}

int getWindowWidth() {
    return truncateSize(windowWidth);
}

int getWindowHeight() {
    return truncateSize(windowHeight);
}

void updateColor(uint32_t id, int32_t packedColor) {
    requireEngine().updateColor(id, packedColor);
}

bool isInside(uint32_t id, double x, double y) {
    return requireEngine().isInside(id, Point2D{x, y});
}

std::string getData() {
    return orv::deviceReportText();
}

void setColorById(uint32_t id, const std::string& color) {
    orv::OrvApp& app = requireEngine();
    app.updateColor(id, orv::parseColor(color));
}

}  // namespace qel
