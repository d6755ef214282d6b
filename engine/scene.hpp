#pragma once
// The engine's objects: records in slots, found by identifier, and the order they are drawn
// in, with the edits scripts make to them by identifier (scene_edits.cpp). Slots of removed
// objects are reused; identifiers never are.

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/camera.hpp"
#include "engine/id_index.hpp"
#include "engine/kinds/kind_registry.hpp"
#include "platform/point2d.hpp"

namespace orv {

class Scene {
public:
    // Adds the object under the next identifier and returns it.
    uint32_t add(GameObject&& object);
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

    // Advances every object whose kind moves by itself, before a frame is drawn.
    void advance(double seconds);

    // Edits by identifier (scene_edits.cpp); unknown identifiers, and kinds an edit does not
    // apply to, change nothing. Values that cannot be drawn are std::invalid_argument.
    void moveTo(uint32_t id, double x, double y);
    void moveMany(const uint32_t* ids, const double* xs, const double* ys, size_t count);
    // Packed RGBA; `opaque` edits keep 0xRRGGBB (bits 24 to 31 ignored) and make it opaque.
    void setColour(uint32_t id, uint32_t rgba);
    void setColours(const uint32_t* ids, const uint32_t* rgba, size_t count);
    void setOpaqueColour(uint32_t id, int32_t rgb);
    void setOpaqueColours(const uint32_t* ids, const int32_t* rgb, size_t count);
    void setLayerOf(uint32_t id, int32_t layer);
    void setVisible(uint32_t id, bool visible);
    // See resizeObject: a rectangle's extents, a circle's radius.
    void resize(uint32_t id, double a, double b);
    // Turns about the kind's own centre: a rectangle's centre, a polygon's centroid, a line's
    // middle; a circle looks the same.
    void setAngle(uint32_t id, double degrees);
    // An outline's width (0: filled), or a line's width.
    void setOutline(uint32_t id, double width);
    void setLineEnds(uint32_t id, double x1, double y1, double x2, double y2);
    // New points for a polygon, where it is drawn: cut into triangles again, its offset back
    // to (0, 0), its turn kept.
    void setPolygonPoints(uint32_t id, std::vector<Point2D> points);

    // Slots of the objects, the topmost first: higher layers first, and within a layer the
    // one created first. Slots (and pointers from find) stay valid until the next add or
    // the next call of this.
    const std::vector<uint32_t>& drawOrder();
    GameObject& at(uint32_t slot) { return objects[slot]; }
    const GameObject& at(uint32_t slot) const { return objects[slot]; }

    // What a frame shows where nothing is drawn, packed RGBA: #030303 unless the script sets it;
    // always opaque (alpha is ignored).
    uint32_t background = 0xFF030303u;
    void setBackground(uint32_t rgba) { background = rgba | 0xFF000000u; }
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
    // How many objects advance by themselves: the frame step skips the scene without them.
    size_t advancing = 0;
    uint64_t changes = 0;
};

}  // namespace orv
