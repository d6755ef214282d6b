#include "engine/scene.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "engine/id_index.hpp"

namespace orv {
namespace {

TEST(IdIndex, AgreesWithAMapThroughGrowthAndBackwardShiftErases) {
    IdIndex index;
    std::map<uint32_t, uint32_t> model;
    std::mt19937 rng(3);
    for (int step = 0; step < 20000; ++step) {
        // Clustered identifiers collide in the table often enough to exercise the shifts.
        const uint32_t id = static_cast<uint32_t>(rng() % 3000 * 7);
        if (rng() % 3 == 0) {
            const auto it = model.find(id);
            EXPECT_EQ(index.erase(id), it == model.end() ? IdIndex::kNone : it->second);
            if (it != model.end()) {
                model.erase(it);
            }
        } else {
            index.insert(id, static_cast<uint32_t>(step));
            model[id] = static_cast<uint32_t>(step);
        }
        ASSERT_EQ(index.size(), model.size());
    }
    for (uint32_t id = 0; id < 3000 * 7; ++id) {
        const auto it = model.find(id);
        ASSERT_EQ(index.find(id), it == model.end() ? IdIndex::kNone : it->second) << id;
    }
}

GameObject shape(int32_t layer = 0) {
    GameObject object;
    object.kind = RectangleKind{};
    object.layer = layer;
    return object;
}

std::vector<uint32_t> drawnIds(Scene& scene) {
    std::vector<uint32_t> ids;
    for (uint32_t slot : scene.drawOrder()) {
        ids.push_back(scene.at(slot).id);
    }
    return ids;
}

TEST(Scene, DrawsHigherLayersFirstThenCreationOrder) {
    nextObjectId = 100;
    Scene scene;
    for (int i = 0; i < 4; ++i) {
        scene.add(shape());
    }
    EXPECT_EQ(drawnIds(scene), (std::vector<uint32_t>{100, 101, 102, 103}));
    scene.setLayer(*scene.find(102), 5);
    scene.setLayer(*scene.find(100), -1);
    EXPECT_EQ(drawnIds(scene), (std::vector<uint32_t>{102, 101, 103, 100}));
    // New objects go last in their own layer, before lower layers.
    scene.add(shape());
    scene.add(shape(5));
    EXPECT_EQ(drawnIds(scene), (std::vector<uint32_t>{102, 105, 101, 103, 104, 100}));
}

TEST(Scene, RemovalFreesSlotsKeepsOrderAndNeverReusesIdentifiers) {
    nextObjectId = 0;
    Scene scene;
    for (int i = 0; i < 6; ++i) {
        scene.add(shape());
    }
    EXPECT_TRUE(scene.remove(1));
    EXPECT_TRUE(scene.remove(4));
    EXPECT_FALSE(scene.remove(4));
    EXPECT_EQ(scene.find(4), nullptr);
    EXPECT_EQ(scene.add(shape()), 6u);  // before the order was cleaned: the freed slots wait
    EXPECT_EQ(drawnIds(scene), (std::vector<uint32_t>{0, 2, 3, 5, 6}));
    EXPECT_EQ(scene.add(shape()), 7u);  // now a freed slot holds it
    EXPECT_EQ(drawnIds(scene), (std::vector<uint32_t>{0, 2, 3, 5, 6, 7}));
    EXPECT_EQ(scene.size(), 6u);
}

TEST(Scene, TheLastIdentifierIsGivenOutOnceAndThenCreationIsRefused) {
    nextObjectId = 0xFFFFFFFEu;
    Scene scene;
    EXPECT_EQ(scene.add(shape()), 0xFFFFFFFEu);
    EXPECT_EQ(scene.add(shape()), 0xFFFFFFFFu);
    EXPECT_THROW(scene.add(shape()), std::runtime_error);
    EXPECT_THROW(upcomingObjectId(), std::runtime_error);
    EXPECT_EQ(scene.size(), 2u);
    EXPECT_EQ(drawnIds(scene), (std::vector<uint32_t>{0xFFFFFFFEu, 0xFFFFFFFFu}));
    nextObjectId = 0;
}

TEST(Scene, ManyRemovalsCompactTheSlotsAndKeepEveryLookup) {
    nextObjectId = 0;
    Scene scene;
    for (int i = 0; i < 5000; ++i) {
        scene.add(shape(i % 3));
    }
    for (uint32_t id = 0; id < 5000; ++id) {
        if (id % 10 != 0) {
            scene.remove(id);
        }
    }
    const std::vector<uint32_t> ids = drawnIds(scene);
    ASSERT_EQ(ids.size(), 500u);
    for (uint32_t id = 0; id < 5000; id += 10) {
        ASSERT_NE(scene.find(id), nullptr) << id;
        EXPECT_EQ(scene.find(id)->id, id);
    }
    // Layer 2 first, then 1, then 0, each in creation order.
    for (size_t i = 1; i < ids.size(); ++i) {
        const GameObject& a = *scene.find(ids[i - 1]);
        const GameObject& b = *scene.find(ids[i]);
        EXPECT_TRUE(a.layer > b.layer || (a.layer == b.layer && a.id < b.id)) << i;
    }
}

TEST(Scene, OnlyKindsThatAdvanceAreAdvancedAndTheDemoTriangleTurnsAStepAFrame) {
    nextObjectId = 0;
    Scene scene;
    scene.add(makeDemoTriangle());
    scene.add(makeFullTriangle());
    scene.add(shape());
    const float start = as<TriangleKind>(*scene.find(0))->rotation;
    const uint64_t version = scene.version();
    scene.advance(1.0 / 60.0);
    EXPECT_EQ(as<TriangleKind>(*scene.find(0))->rotation, TriangleKind::advanceRotation(start));
    EXPECT_EQ(as<TriangleKind>(*scene.find(1))->rotation, start);
    EXPECT_NE(scene.version(), version);
    scene.remove(0);
    const uint64_t still = scene.version();
    scene.advance(1.0 / 60.0);
    EXPECT_EQ(scene.version(), still);
}

}  // namespace
}  // namespace orv
