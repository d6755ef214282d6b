#pragma once
// Whether two drawn pieces share any area: convex polygons (a quad's parallelogram, a
// triangle) by separating axes, ellipses (a disc's) by the closest point, pictures by their
// opaque texels. Everything is in one coordinate space and double precision.

#include <array>
#include <cstdint>

#include "render/alpha_mask.hpp"
#include "render/draw_list.hpp"

namespace orv {

struct Vec2 {
    double x = 0.0;
    double y = 0.0;
};

// One piece of an object's shape.
struct Piece {
    enum class Kind : uint8_t { Polygon, Ellipse };
    Kind kind = Kind::Polygon;
    // A polygon's corners in order (1: a point, 2: a segment, 3 or 4 corners); an ellipse's
    // centre in at[0] and where the unit circle's (1, 0) and (0, 1) go, from it, in at[1], at[2].
    uint8_t count = 0;
    std::array<Vec2, 4> at{};
    // A picture quad: its texels, so a mask can be read (source: atlas rect; inverse: from a
    // point's offset from at[0] to texels of the source).
    bool textured = false;
    std::array<double, 4> source{};
    std::array<double, 4> inverse{};

    static Piece box(double left, double top, double right, double bottom);
    static Piece circle(double cx, double cy, double radius);
    // The piece a lowered primitive covers (a disc with no area becomes its segment or point).
    // A disc may be turned (any parallelogram); a ring counts whole. A rounded box gives its
    // whole quad, corners included: an object drawn as one builds its pieces itself, from
    // boxes and corner circles.
    static Piece of(const Primitive& primitive);
};

// The smallest box around the piece: left, top, right, bottom.
std::array<double, 4> boundsOf(const Piece& piece);

// How touching counts. Shapes that only touch (edges, corners, tangents) share no pixel, so
// collisions ask for shared area (Area); a query region includes its edges (Touching).
enum class Contact : uint8_t { Area, Touching };

bool overlaps(const Piece& a, const Piece& b, Contact contact);
// With `mask`, a textured piece is only its texels of alpha 128 or more.
bool overlaps(const Piece& a, const Piece& b, const AlphaMask* mask);
// Inclusive of the edges.
bool contains(const Piece& piece, const Vec2& point);

}  // namespace orv
