#pragma once
// Finds the topmost object whose hit test holds a point without testing every object: the
// objects' hit areas are sorted into square cells over the window, each cell listing its
// objects topmost first, and only the point's cell is tested. Built again, in time linear in
// the objects, when the scene has changed since the last question.

#include <cstdint>
#include <vector>

#include "platform/point2d.hpp"
#include "engine/scene.hpp"

namespace orv {

class PickGrid {
public:
    static constexpr double kCell = 32.0;

    // The identifier of the topmost object at `point`, or -1. `version` names the scene's
    // state; the grid is rebuilt when it differs from the one it was built for.
    int64_t find(Scene& scene, uint64_t version, double width, double height, const Point2D& point);

private:
    void build(Scene& scene, double width, double height);
    bool hits(const Scene& scene, uint32_t slot, const Point2D& point) const;

    uint64_t builtFor = UINT64_MAX;
    uint32_t columns = 0;
    uint32_t rows = 0;
    double builtWidth = 0.0;
    double builtHeight = 0.0;
    std::vector<uint32_t> starts;   // per cell, where its list begins in `slots`; one more at the end
    std::vector<uint32_t> slots;    // the cells' lists, topmost first
    std::vector<uint32_t> outside;  // objects reaching beyond the window, topmost first
    // Scratch kept between builds: each candidate's slot and cell span.
    struct Span {
        uint32_t slot;
        uint32_t c0, r0, c1, r1;
    };
    std::vector<Span> spans;
};

}  // namespace orv
