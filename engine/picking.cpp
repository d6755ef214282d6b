#include "engine/picking.hpp"

#include <algorithm>
#include <iostream>

#include "engine/object_shape.hpp"
#include "engine/shape_geometry.hpp"

namespace orv {

int64_t Picking::objectAt(const Point2D& point) {
    pickGrid.update(scene, scene.version());
    return pickGrid.find(scene, point);
}

bool Picking::collides(uint32_t a, uint32_t b, bool mask) {
    const GameObject* first = scene.find(a);
    const GameObject* second = scene.find(b);
    if (first == nullptr || second == nullptr) {
        return false;
    }
    shapeA.clear();
    shapeB.clear();
    shapeOf(*first, mask, shapeA, shapeScratch);
    shapeOf(*second, mask, shapeB, shapeScratch);
    // A fixed layer's shape is taken into the world when the other is there.
    const View& view = scene.view;
    if (!view.camera.isDefault() && view.isFixed(first->layer) != view.isFixed(second->layer)) {
        std::vector<Piece>& fixed = view.isFixed(first->layer) ? shapeA : shapeB;
        for (Piece& piece : fixed) {
            piece = seenThrough(piece, view.camera, false);
        }
    }
    const AlphaMask* texels = mask ? &alpha : nullptr;
    for (const Piece& p : shapeA) {
        for (const Piece& q : shapeB) {
            if (overlaps(p, q, texels)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<uint32_t> Picking::overlapping(uint32_t id, bool mask) {
    std::vector<uint32_t> ids;
    const GameObject* object = scene.find(id);
    if (object == nullptr) {
        return ids;
    }
    pickGrid.update(scene, scene.version());
    std::vector<Piece> region;
    shapeOf(*object, false, region, shapeScratch);
    pickGrid.meeting(scene, region, scene.view.isFixed(object->layer), Contact::Area, id, ids);
    if (mask) {
        // Texels lie within their quads: the boxes' answers are the candidates.
        ids.erase(std::remove_if(ids.begin(), ids.end(), [&](uint32_t other) { return !collides(id, other, true); }),
                  ids.end());
    }
    return ids;
}

std::vector<uint32_t> Picking::objectsIn(double x, double y, double w, double h) {
    std::vector<uint32_t> ids;
    pickGrid.update(scene, scene.version());
    pickGrid.meeting(scene, {Piece::box(x, y, x + w, y + h)}, true, Contact::Touching, -1, ids);
    return ids;
}

bool Picking::isInside(uint32_t id, const Point2D& point) {
    const GameObject* object = scene.find(id);
    if (object == nullptr) {
        return false;
    }
    const HitArea area = hitAreaOf(*object);
    if (area.shape == HitArea::Shape::Pieces || !object->visible) {
        // Turned and newer kinds: inside one of the pieces it is drawn as, with no report.
        shapeA.clear();
        shapeOf(*object, false, shapeA, shapeScratch);
        return shapeHolds(*object, shapeA.data(), shapeA.size(), point);
    }
    const bool inside = hitsReporting(area, point, std::cout);
    std::cout.flush();
    return inside;
}

}  // namespace orv
