#include "engine/collision.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace orv {

namespace {

Vec2 operator-(const Vec2& a, const Vec2& b) { return {a.x - b.x, a.y - b.y}; }
Vec2 operator+(const Vec2& a, const Vec2& b) { return {a.x + b.x, a.y + b.y}; }
Vec2 scaled(const Vec2& a, double s) { return {a.x * s, a.y * s}; }
double dot(const Vec2& a, const Vec2& b) { return a.x * b.x + a.y * b.y; }
double cross(const Vec2& a, const Vec2& b) { return a.x * b.y - a.y * b.x; }

double polygonArea(const Piece& p) {
    double twice = 0.0;
    for (uint8_t i = 0; i < p.count; ++i) {
        twice += cross(p.at[i], p.at[(i + 1) % p.count]);
    }
    return 0.5 * twice;
}

bool hasArea(const Piece& p) {
    return p.kind == Piece::Kind::Ellipse || (p.count >= 3 && polygonArea(p) != 0.0);
}

// A circle: axes of equal length along x and y.
bool isCircle(const Piece& e, double& radius) {
    radius = std::fabs(e.at[1].x);
    return e.at[1].y == 0.0 && e.at[2].x == 0.0 && std::fabs(e.at[2].y) == radius;
}

// Where a point lies in the ellipse's unit frame (the ellipse being the unit disc there).
struct UnitFrame {
    Vec2 centre;
    double m[4];  // inverse of the axes' matrix, rows

    explicit UnitFrame(const Piece& e) : centre{e.at[0]} {
        const double det = cross(e.at[1], e.at[2]);
        m[0] = e.at[2].y / det;
        m[1] = -e.at[2].x / det;
        m[2] = -e.at[1].y / det;
        m[3] = e.at[1].x / det;
    }
    Vec2 point(const Vec2& p) const {
        const Vec2 d = p - centre;
        return {m[0] * d.x + m[1] * d.y, m[2] * d.x + m[3] * d.y};
    }
    Vec2 vector(const Vec2& v) const { return {m[0] * v.x + m[1] * v.y, m[2] * v.x + m[3] * v.y}; }
};

bool separatedOn(const Vec2& axis, const Piece& a, const Piece& b, Contact contact) {
    const auto project = [&](const Piece& p, double& low, double& high) {
        low = high = dot(axis, p.at[0]);
        for (uint8_t i = 1; i < p.count; ++i) {
            const double t = dot(axis, p.at[i]);
            low = std::min(low, t);
            high = std::max(high, t);
        }
    };
    double lowA = 0, highA = 0, lowB = 0, highB = 0;
    project(a, lowA, highA);
    project(b, lowB, highB);
    if (contact == Contact::Area) {
        return highA <= lowB || highB <= lowA;
    }
    return highA < lowB || highB < lowA;
}

bool polygonsOverlap(const Piece& a, const Piece& b, Contact contact) {
    if (contact == Contact::Area && (!hasArea(a) || !hasArea(b))) {
        return false;
    }
    // The edges' normals of both, and x and y for points and segments along one line.
    for (const Vec2& axis : {Vec2{1.0, 0.0}, Vec2{0.0, 1.0}}) {
        if (separatedOn(axis, a, b, contact)) {
            return false;
        }
    }
    for (const Piece* p : {&a, &b}) {
        for (uint8_t i = 0; i + 1 < p->count || (p->count > 2 && i < p->count); ++i) {
            const Vec2 edge = p->at[(i + 1) % p->count] - p->at[i];
            if ((edge.x != 0.0 || edge.y != 0.0) && separatedOn(Vec2{-edge.y, edge.x}, a, b, contact)) {
                return false;
            }
        }
    }
    return true;
}

// The squared distance from the origin to the segment a..b.
double segmentDistance2(const Vec2& a, const Vec2& b) {
    const Vec2 d = b - a;
    const double length2 = dot(d, d);
    const double t = length2 > 0.0 ? std::clamp(-dot(a, d) / length2, 0.0, 1.0) : 0.0;
    const Vec2 closest = a + scaled(d, t);
    return dot(closest, closest);
}

// Whether the origin is inside the convex polygon (edges included).
bool holdsOrigin(const std::array<Vec2, 4>& q, uint8_t count, double area) {
    if (count < 3 || area == 0.0) {
        return false;
    }
    const double sign = area > 0.0 ? 1.0 : -1.0;
    for (uint8_t i = 0; i < count; ++i) {
        const Vec2& a = q[i];
        const Vec2& b = q[(i + 1) % count];
        // cross(b - a, 0 - a)
        if (sign * cross(b - a, scaled(a, -1.0)) < 0.0) {
            return false;
        }
    }
    return true;
}

bool ellipsePolygon(const Piece& e, const Piece& p, Contact contact) {
    if (contact == Contact::Area && !hasArea(p)) {
        return false;
    }
    // Around a circle the polygon is only moved; around an ellipse it is taken into the frame
    // where the ellipse is the unit disc (an affine map keeps it convex, and overlap as it was).
    double radius = 1.0;
    std::array<Vec2, 4> q{};
    if (isCircle(e, radius)) {
        for (uint8_t i = 0; i < p.count; ++i) {
            q[i] = p.at[i] - e.at[0];
        }
    } else {
        radius = 1.0;
        const UnitFrame frame(e);
        for (uint8_t i = 0; i < p.count; ++i) {
            q[i] = frame.point(p.at[i]);
        }
    }
    double area = 0.0;
    for (uint8_t i = 0; i < p.count; ++i) {
        area += cross(q[i], q[(i + 1) % p.count]);
    }
    if (holdsOrigin(q, p.count, area)) {
        return true;
    }
    double nearest = dot(q[0], q[0]);
    for (uint8_t i = 0; p.count > 1 && i < p.count; ++i) {
        nearest = std::min(nearest, segmentDistance2(q[i], q[(i + 1) % p.count]));
    }
    return contact == Contact::Area ? nearest < radius * radius : nearest <= radius * radius;
}

// The distance from p to the ellipse x^2/a^2 + y^2/b^2 = 1 (a >= b > 0), p outside it: the
// closest point is a^2 p.x / (t + a^2), b^2 p.y / (t + b^2) for the root t of a function that
// falls monotonically from t = 0, found by bisection.
double distanceToEllipse(double a, double b, double px, double py) {
    px = std::fabs(px);
    py = std::fabs(py);
    const auto f = [&](double t) {
        const double u = a * px / (t + a * a);
        const double v = b * py / (t + b * b);
        return u * u + v * v - 1.0;
    };
    double low = 0.0;
    double high = std::sqrt(a * a * px * px + b * b * py * py);
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (low + high);
        if (mid <= low || mid >= high) {
            break;
        }
        (f(mid) > 0.0 ? low : high) = mid;
    }
    const double t = 0.5 * (low + high);
    return std::hypot(px - a * a * px / (t + a * a), py - b * b * py / (t + b * b));
}

bool ellipses(const Piece& a, const Piece& b, Contact contact) {
    double ra = 0.0;
    double rb = 0.0;
    if (isCircle(a, ra) && isCircle(b, rb)) {
        const Vec2 d = b.at[0] - a.at[0];
        const double reach = ra + rb;
        return contact == Contact::Area ? dot(d, d) < reach * reach : dot(d, d) <= reach * reach;
    }
    // In a's unit frame b is an ellipse centred on c with axes b1, b2.
    const UnitFrame frame(a);
    const Vec2 c = frame.point(b.at[0]);
    const Vec2 b1 = frame.vector(b.at[1]);
    const Vec2 b2 = frame.vector(b.at[2]);
    // The origin inside b: where it lies in b's own unit frame.
    const double det = cross(b1, b2);
    const Vec2 u{(b2.y * -c.x - b2.x * -c.y) / det, (-b1.y * -c.x + b1.x * -c.y) / det};
    if (dot(u, u) <= 1.0) {
        return true;
    }
    // b's semi-axes and their direction: the eigen decomposition of B B^T.
    const double s00 = b1.x * b1.x + b2.x * b2.x;
    const double s01 = b1.x * b1.y + b2.x * b2.y;
    const double s11 = b1.y * b1.y + b2.y * b2.y;
    const double mean = 0.5 * (s00 + s11);
    const double spread = std::hypot(0.5 * (s00 - s11), s01);
    const double major = std::sqrt(mean + spread);
    const double minor = std::sqrt(std::max(mean - spread, 0.0));
    const double theta = 0.5 * std::atan2(2.0 * s01, s00 - s11);
    const double cs = std::cos(theta);
    const double sn = std::sin(theta);
    const double px = cs * -c.x + sn * -c.y;
    const double py = -sn * -c.x + cs * -c.y;
    const double distance = minor > 0.0 ? distanceToEllipse(major, minor, px, py) : std::hypot(std::fabs(px) - std::min(std::fabs(px), major), py);
    return contact == Contact::Area ? distance < 1.0 : distance <= 1.0;
}

// Whether the opaque texels of the textured piece `t` within reach of `other` overlap it (or,
// with `otherMasked`, its own opaque texels). Runs of opaque texels along a row are tested as
// one parallelogram each.
bool texelsOverlap(const Piece& t, const Piece& other, const AlphaMask& mask, bool otherMasked) {
    const double* inv = t.inverse.data();
    const double det = inv[0] * inv[3] - inv[1] * inv[2];
    const double width = t.source[2];
    const double height = t.source[3];
    if (!(det != 0.0) || !std::isfinite(det) || !(width >= 1.0) || !(height >= 1.0)) {
        return false;
    }
    // From texels back to offsets from the quad's first corner.
    const Vec2 alongU{inv[3] / det, -inv[2] / det};
    const Vec2 alongV{-inv[1] / det, inv[0] / det};
    const std::array<double, 4> box = boundsOf(other);
    double u0 = std::numeric_limits<double>::infinity(), u1 = -u0, v0 = u0, v1 = -u0;
    for (const Vec2& corner : {Vec2{box[0], box[1]}, Vec2{box[2], box[1]}, Vec2{box[0], box[3]}, Vec2{box[2], box[3]}}) {
        const Vec2 d = corner - t.at[0];
        const double u = inv[0] * d.x + inv[1] * d.y;
        const double v = inv[2] * d.x + inv[3] * d.y;
        u0 = std::min(u0, u);
        u1 = std::max(u1, u);
        v0 = std::min(v0, v);
        v1 = std::max(v1, v);
    }
    if (!(u1 >= 0.0 && v1 >= 0.0 && u0 < width && v0 < height)) {
        return false;
    }
    const auto first = [](double at) { return static_cast<uint32_t>(std::max(std::floor(at), 0.0)); };
    const auto last = [](double at, double extent) { return static_cast<uint32_t>(std::min(std::floor(at), extent - 1.0)); };
    const uint32_t tx0 = first(u0);
    const uint32_t tx1 = last(u1, width);
    const uint32_t ty0 = first(v0);
    const uint32_t ty1 = last(v1, height);
    const auto sx = static_cast<uint32_t>(t.source[0]);
    const auto sy = static_cast<uint32_t>(t.source[1]);
    const auto at = [&](double u, double v) { return t.at[0] + scaled(alongU, u) + scaled(alongV, v); };
    for (uint32_t ty = ty0; ty <= ty1; ++ty) {
        uint32_t tx = tx0;
        while (tx <= tx1) {
            if (!mask.opaque(sx + tx, sy + ty)) {
                ++tx;
                continue;
            }
            const uint32_t start = tx;
            while (tx <= tx1 && mask.opaque(sx + tx, sy + ty)) {
                ++tx;
            }
            Piece run;
            run.count = 4;
            run.at = {at(start, ty), at(tx, ty), at(tx, ty + 1.0), at(start, ty + 1.0)};
            if (otherMasked ? texelsOverlap(other, run, mask, false) : overlaps(run, other, Contact::Area)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

Piece Piece::box(double left, double top, double right, double bottom) {
    Piece p;
    p.count = 4;
    p.at = {Vec2{left, top}, Vec2{right, top}, Vec2{right, bottom}, Vec2{left, bottom}};
    return p;
}

Piece Piece::circle(double cx, double cy, double radius) {
    Piece p;
    if (radius == 0.0) {
        p.count = 1;
        p.at[0] = {cx, cy};
        return p;
    }
    p.kind = Kind::Ellipse;
    p.count = 1;
    p.at = {Vec2{cx, cy}, Vec2{radius, 0.0}, Vec2{0.0, radius}, Vec2{}};
    return p;
}

Piece Piece::of(const Primitive& q) {
    const Vec2 p0{q.p0[0], q.p0[1]};
    Vec2 p1{q.p1[0], q.p1[1]};
    Vec2 p2{q.p2[0], q.p2[1]};
    Piece p;
    if (q.kindNumber() == kPrimTriangle) {
        p.count = 3;
        p.at = {p0, p1, p2, Vec2{}};
        return p;
    }
    if (q.has(kFlagAxisAligned)) {
        // Its corners are those of its box.
        p1.y = p0.y;
        p2.x = p0.x;
    }
    if (q.kindNumber() == kPrimDisc) {
        const Vec2 centre = scaled(p1 + p2, 0.5);
        const Vec2 a1 = scaled(p1 - p0, 0.5);
        const Vec2 a2 = scaled(p2 - p0, 0.5);
        if (cross(a1, a2) != 0.0) {
            p.kind = Kind::Ellipse;
            p.count = 1;
            p.at = {centre, a1, a2, Vec2{}};
            return p;
        }
        // No area: the segment (or point) it shrinks to.
        const Vec2 half = dot(a1, a1) >= dot(a2, a2) ? a1 : a2;
        p.count = 2;
        p.at = {centre - half, centre + half, Vec2{}, Vec2{}};
        return p;
    }
    p.count = 4;
    p.at = {p0, p1, p1 + p2 - p0, p2};
    if (q.has(kFlagTextured)) {
        p.textured = true;
        p.source = {q.source[0], q.source[1], q.source[2], q.source[3]};
        p.inverse = {q.inverse[0], q.inverse[1], q.inverse[2], q.inverse[3]};
    }
    return p;
}

std::array<double, 4> boundsOf(const Piece& p) {
    if (p.kind == Piece::Kind::Ellipse) {
        const double rx = std::hypot(p.at[1].x, p.at[2].x);
        const double ry = std::hypot(p.at[1].y, p.at[2].y);
        return {p.at[0].x - rx, p.at[0].y - ry, p.at[0].x + rx, p.at[0].y + ry};
    }
    std::array<double, 4> box{p.at[0].x, p.at[0].y, p.at[0].x, p.at[0].y};
    for (uint8_t i = 1; i < p.count; ++i) {
        box[0] = std::min(box[0], p.at[i].x);
        box[1] = std::min(box[1], p.at[i].y);
        box[2] = std::max(box[2], p.at[i].x);
        box[3] = std::max(box[3], p.at[i].y);
    }
    return box;
}

bool overlaps(const Piece& a, const Piece& b, Contact contact) {
    const bool ea = a.kind == Piece::Kind::Ellipse;
    const bool eb = b.kind == Piece::Kind::Ellipse;
    if (ea && eb) {
        return ellipses(a, b, contact);
    }
    if (ea || eb) {
        return ea ? ellipsePolygon(a, b, contact) : ellipsePolygon(b, a, contact);
    }
    return polygonsOverlap(a, b, contact);
}

bool overlaps(const Piece& a, const Piece& b, const AlphaMask* mask) {
    if (!overlaps(a, b, Contact::Area)) {
        return false;
    }
    if (mask == nullptr || (!a.textured && !b.textured)) {
        return true;
    }
    return a.textured ? texelsOverlap(a, b, *mask, b.textured) : texelsOverlap(b, a, *mask, false);
}

bool contains(const Piece& p, const Vec2& point) {
    if (p.kind == Piece::Kind::Ellipse) {
        double radius = 0.0;
        const Vec2 d = point - p.at[0];
        if (isCircle(p, radius)) {
            return dot(d, d) <= radius * radius;
        }
        const Vec2 u = UnitFrame(p).point(point);
        return dot(u, u) <= 1.0;
    }
    Piece dot1;
    dot1.count = 1;
    dot1.at[0] = point;
    return polygonsOverlap(p, dot1, Contact::Touching);
}

}  // namespace orv
