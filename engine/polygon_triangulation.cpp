#include "engine/polygon_triangulation.hpp"

#include <algorithm>
#include <cmath>

namespace orv {

namespace {

double cross(const Point2D& a, const Point2D& b, const Point2D& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

bool same(const Point2D& a, const Point2D& b) {
    return a.x == b.x && a.y == b.y;
}

// `p` on the segment a-b, given that the three are collinear.
bool within(const Point2D& a, const Point2D& b, const Point2D& p) {
    return std::min(a.x, b.x) <= p.x && p.x <= std::max(a.x, b.x) && std::min(a.y, b.y) <= p.y &&
           p.y <= std::max(a.y, b.y);
}

int sign(double v) {
    return (v > 0.0) - (v < 0.0);
}

// Whether the closed segments a-b and c-d share a point.
bool segmentsMeet(const Point2D& a, const Point2D& b, const Point2D& c, const Point2D& d) {
    const int o1 = sign(cross(a, b, c));
    const int o2 = sign(cross(a, b, d));
    const int o3 = sign(cross(c, d, a));
    const int o4 = sign(cross(c, d, b));
    if (o1 != o2 && o3 != o4) {
        return true;
    }
    return (o1 == 0 && within(a, b, c)) || (o2 == 0 && within(a, b, d)) || (o3 == 0 && within(c, d, a)) ||
           (o4 == 0 && within(c, d, b));
}

}  // namespace

double doubleSignedArea(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring) {
    // About the first corner, so far-off polygons keep their precision.
    double sum = 0.0;
    const Point2D& o = points[ring[0]];
    for (size_t i = 1; i + 1 < ring.size(); ++i) {
        sum += cross(o, points[ring[i]], points[ring[i + 1]]);
    }
    return sum;
}

std::vector<uint32_t> distinctCorners(const std::vector<Point2D>& points) {
    std::vector<uint32_t> ring;
    for (uint32_t i = 0; i < points.size(); ++i) {
        if (ring.empty() || !same(points[ring.back()], points[i])) {
            ring.push_back(i);
        }
    }
    while (ring.size() > 1 && same(points[ring.back()], points[ring.front()])) {
        ring.pop_back();
    }
    return ring;
}

bool sidesMeet(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring) {
    const size_t n = ring.size();
    struct Side {
        double left, right;
        uint32_t from;  // place in the ring
    };
    std::vector<Side> sides(n);
    for (uint32_t i = 0; i < n; ++i) {
        const Point2D& a = points[ring[i]];
        const Point2D& b = points[ring[(i + 1) % n]];
        sides[i] = {std::min(a.x, b.x), std::max(a.x, b.x), i};
    }
    // Only sides whose spans along x overlap can meet: a sweep from the left.
    std::sort(sides.begin(), sides.end(), [](const Side& a, const Side& b) { return a.left < b.left; });
    for (size_t i = 0; i < n; ++i) {
        const uint32_t s = sides[i].from;
        const Point2D& a = points[ring[s]];
        const Point2D& b = points[ring[(s + 1) % n]];
        for (size_t j = i + 1; j < n && sides[j].left <= sides[i].right; ++j) {
            const uint32_t t = sides[j].from;
            const Point2D& c = points[ring[t]];
            const Point2D& d = points[ring[(t + 1) % n]];
            if ((s + 1) % n == t || (t + 1) % n == s) {
                // Neighbours share a corner; they meet elsewhere only by running back along
                // each other.
                const Point2D& shared = (s + 1) % n == t ? b : a;
                const Point2D& p = (s + 1) % n == t ? a : b;
                const Point2D& q = (s + 1) % n == t ? d : c;
                if (cross(p, shared, q) == 0.0 &&
                    (p.x - shared.x) * (q.x - shared.x) + (p.y - shared.y) * (q.y - shared.y) > 0.0) {
                    return true;
                }
                continue;
            }
            if (segmentsMeet(a, b, c, d)) {
                return true;
            }
        }
    }
    return false;
}

std::vector<uint32_t> clipEars(const std::vector<Point2D>& points, const std::vector<uint32_t>& ring) {
    const size_t n = ring.size();
    std::vector<uint32_t> triangles;
    if (n < 3) {
        return triangles;
    }
    triangles.reserve((n - 2) * 3);
    const double orientation = doubleSignedArea(points, ring) > 0.0 ? 1.0 : -1.0;
    // The corners still to clip, as a doubly linked ring of places in `ring`.
    std::vector<uint32_t> next(n);
    std::vector<uint32_t> prev(n);
    for (uint32_t i = 0; i < n; ++i) {
        next[i] = static_cast<uint32_t>((i + 1) % n);
        prev[i] = static_cast<uint32_t>((i + n - 1) % n);
    }
    const auto at = [&](uint32_t i) -> const Point2D& { return points[ring[i]]; };
    const auto turn = [&](uint32_t i) { return orientation * cross(at(prev[i]), at(i), at(next[i])); };
    // Only corners that turn the other way (or not at all) can lie inside an ear; once
    // convex a corner stays so, and such entries are dropped as they are met.
    std::vector<uint8_t> reflex(n, 0);
    std::vector<uint32_t> reflexes;
    for (uint32_t i = 0; i < n; ++i) {
        if (turn(i) <= 0.0) {
            reflex[i] = 1;
            reflexes.push_back(i);
        }
    }
    const auto isEar = [&](uint32_t i) {
        if (turn(i) <= 0.0) {
            return false;
        }
        const Point2D& a = at(prev[i]);
        const Point2D& b = at(i);
        const Point2D& c = at(next[i]);
        for (size_t k = 0; k < reflexes.size();) {
            const uint32_t r = reflexes[k];
            if (!reflex[r]) {
                reflexes[k] = reflexes.back();
                reflexes.pop_back();
                continue;
            }
            ++k;
            if (r == prev[i] || r == i || r == next[i]) {
                continue;
            }
            const Point2D& p = at(r);
            if (orientation * cross(a, b, p) >= 0.0 && orientation * cross(b, c, p) >= 0.0 &&
                orientation * cross(c, a, p) >= 0.0) {
                return false;
            }
        }
        return true;
    };
    const auto unlink = [&](uint32_t i) {
        next[prev[i]] = next[i];
        prev[next[i]] = prev[i];
        reflex[i] = 0;
        for (const uint32_t j : {prev[i], next[i]}) {
            if (reflex[j] && turn(j) > 0.0) {
                reflex[j] = 0;
            }
        }
    };
    size_t left = n;
    uint32_t i = 0;
    size_t tried = 0;
    while (left > 3) {
        if (isEar(i)) {
            triangles.insert(triangles.end(), {ring[prev[i]], ring[i], ring[next[i]]});
            const uint32_t after = next[i];
            unlink(i);
            --left;
            i = after;
            tried = 0;
            continue;
        }
        if (++tried <= left) {
            i = next[i];
            continue;
        }
        // No ear all the way round: rounding has made some corner straight or nearly so.
        // A straight corner goes without a triangle; failing that, the flattest is clipped.
        uint32_t flattest = i;
        double least = std::abs(turn(i));
        for (uint32_t k = next[i]; k != i; k = next[k]) {
            if (std::abs(turn(k)) < least) {
                least = std::abs(turn(k));
                flattest = k;
            }
        }
        if (turn(flattest) > 0.0) {
            triangles.insert(triangles.end(), {ring[prev[flattest]], ring[flattest], ring[next[flattest]]});
        }
        i = next[flattest];
        unlink(flattest);
        --left;
        tried = 0;
    }
    if (turn(i) > 0.0) {
        triangles.insert(triangles.end(), {ring[prev[i]], ring[i], ring[next[i]]});
    }
    return triangles;
}

}  // namespace orv
