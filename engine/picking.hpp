#pragma once
// What is where: the topmost object at a point, the objects in an area, whether two objects
// collide and what one overlaps, all by the shapes their kinds give (engine/object_shape.hpp)
// and through the camera where a fixed layer meets the world.

#include <cstdint>
#include <vector>

#include "engine/pick_grid.hpp"
#include "engine/scene.hpp"
#include "platform/point2d.hpp"
#include "render/alpha_mask.hpp"

namespace orv {

class Picking {
public:
    Picking(Scene& objects, const AlphaMask& texels) : scene{objects}, alpha{texels} {}

    // The identifier of the topmost object (layers, then creation order) whose hit test holds
    // the point, or -1. Prints nothing.
    int64_t objectAt(const Point2D& point);
    // Whether the two objects share area; with `mask`, pictures count only their texels of
    // alpha 128 or more. False when either identifier names nothing.
    bool collides(uint32_t a, uint32_t b, bool mask);
    // The objects sharing area with the object, topmost first, not itself; none when unknown.
    std::vector<uint32_t> overlapping(uint32_t id, bool mask);
    // The objects whose shapes meet the rectangle in window pixels (edges included), topmost first.
    std::vector<uint32_t> objectsIn(double x, double y, double w, double h);
    // The hit test by identifier; prints the report block for the kinds whose hit area has one.
    bool isInside(uint32_t id, const Point2D& point);

private:
    Scene& scene;
    const AlphaMask& alpha;
    PickGrid pickGrid;
    // Scratch for collision shapes.
    DrawList shapeScratch;
    std::vector<Piece> shapeA;
    std::vector<Piece> shapeB;
};

}  // namespace orv
