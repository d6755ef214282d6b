#include "engine/pick_grid.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/scene.hpp"
#include "engine/shape_geometry.hpp"

namespace orv {
namespace {

// Not multiples of the cell size, so the last row and column of cells are partial.
constexpr double kWidth = 401.0;
constexpr double kHeight = 299.0;

int64_t walkDrawOrder(Scene& scene, const Point2D& point) {
    for (uint32_t slot : scene.drawOrder()) {
        const GameObject& object = scene.at(slot);
        const QuadCorners corners = cornersOf(object);
        if ((object.kind == ObjectKind::Circle && circleHit(corners, object.radius(), point)) ||
            (object.kind == ObjectKind::Rectangle && rectangleHit(corners, point))) {
            return object.id;
        }
    }
    return -1;
}

// Half pixels from well outside the window to well past it, and the window's edges: many
// points and objects meet exactly.
double coordinate(std::mt19937& rng, double extent) {
    if (rng() % 16 == 0) {
        return rng() % 2 ? extent : 0.0;
    }
    return std::uniform_int_distribution<int>(-160, static_cast<int>(2 * extent) + 160)(rng) / 2.0;
}

void place(GameObject& object, std::mt19937& rng) {
    std::uniform_int_distribution<int> size(-20, 140);
    object.x = coordinate(rng, kWidth);
    object.y = coordinate(rng, kHeight);
    object.sizeX = size(rng) / 2.0;
    object.sizeY = object.kind == ObjectKind::Circle ? 0.0 : size(rng) / 2.0;
    if (object.kind == ObjectKind::Rectangle && rng() % 4 == 0) {
        const bool right = rng() % 2 == 0;  // else it ends on the bottom edge
        (right ? object.x : object.y) = right ? kWidth - object.sizeX : kHeight - object.sizeY;
    }
}

TEST(PickGrid, FindsWhatAWalkOfTheDrawOrderFindsThroughMovesLayersAndRemovals) {
    nextObjectId = 0;
    std::mt19937 rng(29);
    Scene scene;
    std::vector<uint32_t> ids;
    for (int i = 0; i < 4000; ++i) {
        GameObject object;
        object.kind = i % 400 == 0 ? ObjectKind::Triangle : i % 2 ? ObjectKind::Circle : ObjectKind::Rectangle;
        object.layer = rng() % 4 == 0 ? static_cast<int32_t>(rng() % 5) - 2 : 0;
        place(object, rng);
        ids.push_back(scene.add(object));
    }
    // Under everything: a band across the window and far beyond, and a disc mostly above it.
    ids.push_back(scene.add(GameObject{0, ObjectKind::Rectangle, {}, -3, -1000.0, 100.0, 3000.0, 4.0}));
    ids.push_back(scene.add(GameObject{0, ObjectKind::Circle, {}, -3, 200.0, -500.0, 530.5, 0.0}));

    std::vector<Point2D> border;  // every half pixel along it
    for (double t = 0.0; t <= kWidth; t += 0.5) {
        border.insert(border.end(), {{t, 0.0}, {t, kHeight}});
    }
    for (double t = 0.0; t <= kHeight; t += 0.5) {
        border.insert(border.end(), {{0.0, t}, {kWidth, t}});
    }
    PickGrid grid;
    const auto compare = [&](const char* stage) {
        std::vector<Point2D> points = border;
        for (int i = 0; i < 3000; ++i) {
            points.push_back({coordinate(rng, kWidth), coordinate(rng, kHeight)});
        }
        for (const Point2D& point : points) {
            grid.update(scene, scene.version());
            ASSERT_EQ(grid.find(scene, point), walkDrawOrder(scene, point))
                << stage << ": at (" << point.x << ", " << point.y << ")";
        }
    };
    compare("created");
    for (int i = 0; i < 400; ++i) {
        if (GameObject* object = scene.find(ids[rng() % ids.size()])) {
            place(*object, rng);
        }
    }
    scene.touch();
    compare("moved");
    for (int i = 0; i < 300; ++i) {
        if (GameObject* object = scene.find(ids[rng() % ids.size()])) {
            scene.setLayer(*object, static_cast<int32_t>(rng() % 7) - 3);
        }
    }
    compare("layers changed");
    // Most objects go, which also moves the rest into fewer slots.
    for (size_t i = 0; i < ids.size(); ++i) {
        if (i % 5 != 0) {
            scene.remove(ids[i]);
        }
    }
    compare("removed");
}

}  // namespace
}  // namespace orv
