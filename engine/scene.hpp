#pragma once
// The engine's objects: records in slots, found by identifier, and the order they are drawn
// in. Slots of removed objects are reused; identifiers never are.

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/camera.hpp"
#include "engine/game_object.hpp"
#include "engine/id_index.hpp"
#include "engine/polygon_shape.hpp"
#include "render/text_layout.hpp"

namespace orv {

class Scene {
public:
    // Adds the object under the next identifier and returns it.
    uint32_t add(GameObject object);
    GameObject* find(uint32_t id);
    // Calls visit(object, i) for each of the `count` identifiers that names an object, in
    // order, looking the identifiers up ahead of time.
    template <typename Visit>
    void forEachFound(const uint32_t* ids, size_t count, Visit&& visit) {
        for (size_t i = 0; i < count; ++i) {
            if (i + kLookAhead < count) {
                index.prefetch(ids[i + kLookAhead]);
            }
            if (GameObject* object = find(ids[i])) {
                visit(*object, i);
            }
        }
    }
    const GameObject* find(uint32_t id) const;
    // False when nothing has the identifier.
    bool remove(uint32_t id);
    void setLayer(GameObject& object, int32_t layer);
    void clear();

    size_t size() const { return index.size(); }
    // Changes whenever an object is added, removed, moved, resized or put on another layer.
    uint64_t version() const { return changes; }
    // For changes made to an object found by identifier (a move, a resize).
    void touch() { ++changes; }

    // A text object's glyphs, kept beside its record; null for other objects.
    TextLayout* text(uint32_t id);
    const TextLayout* text(uint32_t id) const;
    // The glyphs of the object with `id` (a text object), to be laid out again in place.
    TextLayout& editText(uint32_t id);
    // The glyphs of all text objects together.
    size_t glyphCount() const;

    // A polygon's points and triangles, kept beside its record; null for other objects.
    const PolygonShape* polygon(uint32_t id) const;
    // Gives the object with `id` (a polygon) its points and triangles.
    void setPolygon(uint32_t id, PolygonShape shape);

    // Turns every triangle a frame further; until the next advance, the frame can be taken
    // back (a frame that is not drawn after all does not count).
    void advanceTriangles();
    void retractTriangles();

    // Slots of the objects, the topmost first: higher layers first, and within a layer the
    // one created first. Slots (and pointers from find) stay valid until the next add or
    // the next call of this.
    const std::vector<uint32_t>& drawOrder();
    GameObject& at(uint32_t slot) { return objects[slot]; }
    const GameObject& at(uint32_t slot) const { return objects[slot]; }

    // What a frame shows where nothing is drawn, packed RGBA: #030303 unless the script sets it.
    uint32_t background = 0xFF030303u;
    // Where the world is seen from; objects keep world coordinates.
    View view;

private:
    // How far ahead batch edits look their identifiers up.
    static constexpr size_t kLookAhead = 32;
    // Slots are compacted when fewer than a quarter of them hold objects.
    static constexpr size_t kCompactAbove = 1024;

    bool drawnBefore(uint32_t a, uint32_t b) const;
    void compact();

    std::vector<GameObject> objects;
    std::vector<bool> live;
    std::vector<uint32_t> freeSlots;
    // Slots freed since the draw order was last cleaned: reusable once it no longer names them.
    std::vector<uint32_t> pendingFree;
    IdIndex index;
    std::vector<uint32_t> order;
    bool orderStale = false;
    size_t triangles = 0;
    uint64_t changes = 0;
    // The triangles' rotations before the last advance.
    std::vector<std::pair<uint32_t, float>> advanced;
    std::unordered_map<uint32_t, TextLayout> texts;
    std::unordered_map<uint32_t, PolygonShape> polygons;
};

}  // namespace orv
