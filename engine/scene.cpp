#include "engine/scene.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>


namespace orv {

bool Scene::drawnBefore(uint32_t a, uint32_t b) const {
    const GameObject& x = objects[a];
    const GameObject& y = objects[b];
    return x.layer != y.layer ? x.layer > y.layer : x.id < y.id;
}

uint32_t Scene::add(GameObject&& object) {
    object.id = upcomingObjectId();
    ++changes;
    uint32_t slot = 0;
    if (!freeSlots.empty()) {
        slot = freeSlots.back();
        freeSlots.pop_back();
        objects[slot] = std::move(object);
        live[slot] = true;
    } else {
        slot = static_cast<uint32_t>(objects.size());
        objects.push_back(std::move(object));
        live.push_back(true);
    }
    const uint32_t id = objects[slot].id;
    index.insert(id, slot);
    if (advances(objects[slot])) {
        ++advancing;
    }
    if (orderStale) {
        order.push_back(slot);  // sorted with the rest when the order is next needed
    } else {
        // The newest object goes last within its layer: at the end unless lower layers exist.
        if (order.empty() || drawnBefore(order.back(), slot)) {
            order.push_back(slot);
        } else {
            const auto at = std::upper_bound(order.begin(), order.end(), slot,
                                             [this](uint32_t a, uint32_t b) { return drawnBefore(a, b); });
            order.insert(at, slot);
        }
    }
    // Taken only once the object is in, so a failed creation uses up no identifier.
    ++nextObjectId;
    return id;
}

GameObject* Scene::find(uint32_t id) {
    const uint32_t slot = index.find(id);
    return slot == IdIndex::kNone ? nullptr : &objects[slot];
}

const GameObject* Scene::find(uint32_t id) const {
    const uint32_t slot = index.find(id);
    return slot == IdIndex::kNone ? nullptr : &objects[slot];
}

bool Scene::remove(uint32_t id) {
    const uint32_t slot = index.erase(id);
    if (slot == IdIndex::kNone) {
        return false;
    }
    ++changes;
    if (advances(objects[slot])) {
        --advancing;
    }
    // What it holds (glyphs, points) goes now; the slot itself once the order lets go of it.
    objects[slot].kind = TriangleKind{};
    live[slot] = false;
    pendingFree.push_back(slot);
    orderStale = true;
    if (index.size() == 0) {
        clear();
    }
    return true;
}

void Scene::setLayer(GameObject& object, int32_t layer) {
    if (object.layer != layer) {
        object.layer = layer;
        orderStale = true;
        ++changes;
    }
}

void Scene::clear() {
    ++changes;
    objects.clear();
    live.clear();
    freeSlots.clear();
    pendingFree.clear();
    order.clear();
    index = IdIndex{};
    orderStale = false;
    advancing = 0;
    objects.shrink_to_fit();
    order.shrink_to_fit();
}

const std::vector<uint32_t>& Scene::drawOrder() {
    if (orderStale) {
        order.erase(std::remove_if(order.begin(), order.end(), [this](uint32_t slot) { return !live[slot]; }),
                    order.end());
        // Removals keep the order sorted; only a layer change needs the sort, which is then
        // nearly sorted already.
        if (!std::is_sorted(order.begin(), order.end(), [this](uint32_t a, uint32_t b) { return drawnBefore(a, b); })) {
            std::stable_sort(order.begin(), order.end(), [this](uint32_t a, uint32_t b) { return drawnBefore(a, b); });
        }
        freeSlots.insert(freeSlots.end(), pendingFree.begin(), pendingFree.end());
        pendingFree.clear();
        orderStale = false;
        if (objects.size() > kCompactAbove && order.size() * 4 < objects.size()) {
            compact();
        }
    }
    return order;
}

void Scene::advance(double seconds) {
    if (advancing == 0) {
        return;
    }
    for (uint32_t slot : drawOrder()) {
        if (advances(objects[slot])) {
            advanceObject(objects[slot], seconds);
            ++changes;
        }
    }
}

void Scene::compact() {
    // Mostly empty slots: move the objects together, in draw order, and hand the rest back.
    std::vector<GameObject> kept;
    kept.reserve(order.size());
    for (uint32_t slot : order) {
        kept.push_back(std::move(objects[slot]));
    }
    objects = std::move(kept);
    live.assign(objects.size(), true);
    live.shrink_to_fit();
    freeSlots.clear();
    freeSlots.shrink_to_fit();
    index = IdIndex{};
    for (uint32_t slot = 0; slot < objects.size(); ++slot) {
        index.insert(objects[slot].id, slot);
        order[slot] = slot;
    }
    order.shrink_to_fit();
}

}  // namespace orv
