#include "engine/pick_grid.hpp"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "engine/object_shape.hpp"
#include "engine/scene.hpp"
#include "engine/shape_geometry.hpp"

#include "scene_objects.hpp"

namespace orv {
namespace {

// Not multiples of the cell size, so the last row and column of cells are partial.
constexpr double kWidth = 401.0;
constexpr double kHeight = 299.0;

int64_t walkDrawOrder(Scene& scene, const Point2D& point) {
    for (uint32_t slot : scene.drawOrder()) {
        const GameObject& object = scene.at(slot);
        const DiscKind* disc = as<DiscKind>(object);
        const RectangleKind* rect = as<RectangleKind>(object);
        if ((disc != nullptr && circleHit(circleCorners(object.x, object.y, disc->radius), disc->radius, point)) ||
            (rect != nullptr && rectangleHit(rectangleCorners(object.x, object.y, rect->width, rect->height), point))) {
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
    const double w = size(rng) / 2.0;
    const double h = as<DiscKind>(object) != nullptr ? 0.0 : size(rng) / 2.0;
    resizeObject(object, w, h);
    if (as<RectangleKind>(object) != nullptr && rng() % 4 == 0) {
        const bool right = rng() % 2 == 0;  // else it ends on the bottom edge
        (right ? object.x : object.y) = right ? kWidth - w : kHeight - h;
    }
}

TEST(PickGrid, FindsWhatAWalkOfTheDrawOrderFindsThroughMovesLayersAndRemovals) {
    nextObjectId = 0;
    std::mt19937 rng(29);
    Scene scene;
    std::vector<uint32_t> ids;
    for (int i = 0; i < 4000; ++i) {
        GameObject object;
        object.kind = i % 400 == 0 ? KindData{TriangleKind::demo()} : i % 2 ? KindData{DiscKind{}} : KindData{RectangleKind{}};
        object.layer = rng() % 4 == 0 ? static_cast<int32_t>(rng() % 5) - 2 : 0;
        place(object, rng);
        ids.push_back(scene.add(std::move(object)));
    }
    // Under everything: a band across the window and far beyond, and a disc mostly above it.
    GameObject band = rectObject(-1000.0, 100.0, 3000.0, 4.0);
    band.layer = -3;
    ids.push_back(scene.add(std::move(band)));
    GameObject disc = discObject(200.0, -500.0, 530.5);
    disc.layer = -3;
    ids.push_back(scene.add(std::move(disc)));

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

// Objects anywhere in a large world, a few far larger than the rest, seen through a turned,
// zoomed camera with one fixed layer: what the grid finds is what a walk of every object finds.
TEST(PickGrid, PointsAndRegionsAnywhereInTheWorldMatchAWalkOfEveryObject) {
    nextObjectId = 0;
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> at(-20000.0, 20000.0);
    std::uniform_real_distribution<double> size(0.0, 60.0);
    Scene scene;
    for (int i = 0; i < 3000; ++i) {
        GameObject object;
        object.kind = i % 2 ? KindData{DiscKind{}} : KindData{RectangleKind{}};
        object.layer = static_cast<int32_t>(rng() % 3);
        object.x = i % 3 ? at(rng) : at(rng) / 100.0;  // a third crowd near the origin
        object.y = i % 3 ? at(rng) : at(rng) / 100.0;
        const double w = i % 500 == 0 ? 30000.0 : size(rng);
        resizeObject(object, w, size(rng));
        scene.add(std::move(object));
    }
    scene.view.camera = Camera{10.0, -20.0, 2.5, 30.0, 160.0, 120.0};
    scene.view.fixedLayers = {2};
    std::vector<std::vector<Piece>> shapes;
    std::vector<uint32_t> slots;
    DrawList scratch;
    for (uint32_t slot : scene.drawOrder()) {
        slots.push_back(slot);
        shapes.emplace_back();
        shapeOf(scene.at(slot), false, shapes.back(), scratch);
    }
    PickGrid grid;
    grid.update(scene, scene.version());
    std::uniform_real_distribution<double> window(-200.0, 500.0);
    std::vector<uint32_t> ids;
    int found = 0;
    int several = 0;
    for (int n = 0; n < 2000; ++n) {
        const Point2D point{window(rng), window(rng)};
        const Piece region = Piece::box(point.x, point.y, point.x + size(rng), point.y + size(rng));
        int64_t topmost = -1;
        std::vector<uint32_t> meeting;
        for (size_t i = 0; i < slots.size(); ++i) {
            const GameObject& object = scene.at(slots[i]);
            const bool fixed = scene.view.isFixed(object.layer);
            const Point2D seen = fixed ? point : scene.view.camera.toWorld(point);
            if (topmost < 0 && shapeHolds(object, shapes[i].data(), shapes[i].size(), seen)) {
                topmost = object.id;
            }
            const Piece there = fixed ? region : seenThrough(region, scene.view.camera, false);
            if (!shapes[i].empty() && overlaps(there, shapes[i][0], Contact::Touching)) {
                meeting.push_back(object.id);
            }
        }
        ASSERT_EQ(grid.find(scene, point), topmost) << n;
        grid.meeting(scene, {region}, true, Contact::Touching, -1, ids);
        ASSERT_EQ(ids, meeting) << n;
        found += topmost >= 0;
        several += meeting.size() > 1;
    }
    EXPECT_GT(found, 400);
    EXPECT_GT(several, 400);
}

}  // namespace
}  // namespace orv
