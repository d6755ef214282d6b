// The scene's edits by identifier: what scripts change on objects they made.
#include "engine/scene.hpp"

namespace orv {


void Scene::moveTo(uint32_t id, double x, double y) {
    GameObject* object = find(id);
    if (object != nullptr && movable(*object)) {
        object->x = x;
        object->y = y;
        touch();
    }
}

void Scene::moveMany(const uint32_t* ids, const double* xs, const double* ys, size_t count) {
    forEachFound(ids, count, [&](GameObject& object, size_t i) {
        if (movable(object)) {
            object.x = xs[i];
            object.y = ys[i];
        }
    });
    touch();
}

void Scene::setColour(uint32_t id, uint32_t rgba) {
    if (GameObject* object = find(id)) {
        object->colour = rgba;
    }
}

void Scene::setColours(const uint32_t* ids, const uint32_t* rgba, size_t count) {
    forEachFound(ids, count, [&](GameObject& object, size_t i) { object.colour = rgba[i]; });
}

void Scene::setOpaqueColour(uint32_t id, int32_t rgb) {
    setColour(id, opaqueColour(rgb));
}

void Scene::setOpaqueColours(const uint32_t* ids, const int32_t* rgb, size_t count) {
    forEachFound(ids, count, [&](GameObject& object, size_t i) { object.colour = opaqueColour(rgb[i]); });
}

void Scene::setLayerOf(uint32_t id, int32_t layer) {
    if (GameObject* object = find(id)) {
        setLayer(*object, layer);
    }
}

void Scene::setVisible(uint32_t id, bool visible) {
    GameObject* object = find(id);
    if (object != nullptr && object->visible != visible) {
        object->visible = visible;
        touch();
    }
}

void Scene::resize(uint32_t id, double a, double b) {
    if (GameObject* object = find(id)) {
        resizeObject(*object, a, b);
        touch();
    }
}

void Scene::setAngle(uint32_t id, double degrees) {
    requireFinite({degrees}, "an angle");
    if (GameObject* object = find(id)) {
        object->angle = degrees;
        touch();
    }
}

void Scene::setOutline(uint32_t id, double width) {
    requireWidth(width, "an outline");
    if (GameObject* object = find(id)) {
        setOutlineOf(*object, width);
        touch();
    }
}

void Scene::setLineEnds(uint32_t id, double x1, double y1, double x2, double y2) {
    requireFinite({x1, y1, x2, y2}, "a line's ends");
    GameObject* object = find(id);
    if (LineKind* line = object != nullptr ? as<LineKind>(*object) : nullptr) {
        object->x = x1;
        object->y = y1;
        line->dx = x2 - x1;
        line->dy = y2 - y1;
        touch();
    }
}

void Scene::setPolygonPoints(uint32_t id, std::vector<Point2D> points) {
    PolygonShape shape = makePolygonShape(std::move(points));
    GameObject* object = find(id);
    if (PolygonKind* polygon = object != nullptr ? as<PolygonKind>(*object) : nullptr) {
        object->x = 0.0;
        object->y = 0.0;
        polygon->shape = std::move(shape);
        touch();
    }
}

}  // namespace orv
