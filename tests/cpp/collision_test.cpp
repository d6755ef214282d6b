#include "engine/collision.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

namespace orv {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Pieces of every kind, made the way lowering makes them where it can.
enum class Made { Box, TurnedQuad, Triangle, Circle, Ellipse, TurnedEllipse, Count };

Primitive primitive(uint32_t kind, float x0, float y0, float x1, float y1, float x2, float y2) {
    Primitive p{};
    p.kind = kind;
    p.p0[0] = x0;
    p.p0[1] = y0;
    p.p1[0] = x1;
    p.p1[1] = y1;
    p.p2[0] = x2;
    p.p2[1] = y2;
    return p;
}

Piece make(Made made, std::mt19937& rng) {
    std::uniform_real_distribution<float> at(0.0f, 24.0f);
    std::uniform_real_distribution<float> size(1.0f, 14.0f);
    std::uniform_real_distribution<double> turn(0.0, 2.0 * kPi);
    const float x = at(rng);
    const float y = at(rng);
    const float w = size(rng);
    const float h = size(rng);
    const double a = turn(rng);
    const float c = static_cast<float>(std::cos(a));
    const float s = static_cast<float>(std::sin(a));
    switch (made) {
        case Made::Box:
            return Piece::of(primitive(kPrimQuad | kFlagAxisAligned, x, y, x + w, y, x, y + h));
        case Made::TurnedQuad:
            return Piece::of(primitive(kPrimQuad, x, y, x + w * c, y + w * s, x - h * s, y + h * c));
        case Made::Triangle:
            return Piece::of(primitive(kPrimTriangle, x, y, x + w * c, y + w * s, x + w / 2 * c - h * s,
                                       y + w / 2 * s + h * c));
        case Made::Circle:
            return Piece::of(primitive(kPrimDisc | kFlagAxisAligned, x, y, x + w, y, x, y + w));
        case Made::Ellipse:
            return Piece::of(primitive(kPrimDisc | kFlagAxisAligned, x, y, x + w, y, x, y + h));
        default: {
            Piece e = Piece::circle(x, y, 1.0);
            e.at[1] = {w / 2 * c, w / 2 * s};
            e.at[2] = {-h / 2 * s, h / 2 * c};
            return e;
        }
    }
}

// Written apart from the code under test: corners' cross products, the unit disc's equation.
bool inside(const Piece& p, double x, double y) {
    if (p.kind == Piece::Kind::Ellipse) {
        const double det = p.at[1].x * p.at[2].y - p.at[2].x * p.at[1].y;
        const double dx = x - p.at[0].x;
        const double dy = y - p.at[0].y;
        const double u = (p.at[2].y * dx - p.at[2].x * dy) / det;
        const double v = (-p.at[1].y * dx + p.at[1].x * dy) / det;
        return u * u + v * v <= 1.0;
    }
    int positive = 0;
    int negative = 0;
    for (uint8_t i = 0; i < p.count; ++i) {
        const Vec2& a = p.at[i];
        const Vec2& b = p.at[(i + 1) % p.count];
        const double side = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
        positive += side > 0;
        negative += side < 0;
    }
    return positive == 0 || negative == 0;
}

Piece moved(Piece p, double dx, double dy) {
    const uint8_t corners = p.kind == Piece::Kind::Ellipse ? 1 : p.count;
    for (uint8_t i = 0; i < corners; ++i) {
        p.at[i].x += dx;
        p.at[i].y += dy;
    }
    return p;
}

constexpr double kStep = 0.25;

// Whether some point of a fine grid lies in both.
bool shareASample(const Piece& a, const Piece& b, const std::function<bool(const Piece&, double, double)>& in) {
    const auto ba = boundsOf(a);
    const auto bb = boundsOf(b);
    for (double y = std::floor(std::max(ba[1], bb[1]) / kStep) * kStep; y <= std::min(ba[3], bb[3]); y += kStep) {
        for (double x = std::floor(std::max(ba[0], bb[0]) / kStep) * kStep; x <= std::min(ba[2], bb[2]);
             x += kStep) {
            if (in(a, x, y) && in(b, x, y)) {
                return true;
            }
        }
    }
    return false;
}

// A pair the samples miss but the geometry joins must come apart when one moves a pixel.
bool nearlyApart(const Piece& a, const Piece& b, const AlphaMask* mask) {
    for (const double dx : {-1.0, 0.0, 1.0}) {
        for (const double dy : {-1.0, 0.0, 1.0}) {
            if (!overlaps(a, moved(b, dx, dy), mask)) {
                return true;
            }
        }
    }
    return false;
}

TEST(Collision, EveryPairingAgreesWithSamplesOnAFineGrid) {
    std::mt19937 rng(7);
    const auto in = [](const Piece& p, double x, double y) { return inside(p, x, y); };
    for (int i = 0; i < static_cast<int>(Made::Count); ++i) {
        for (int j = i; j < static_cast<int>(Made::Count); ++j) {
            int hits = 0;
            for (int n = 0; n < 600; ++n) {
                const Piece a = make(static_cast<Made>(i), rng);
                const Piece b = make(static_cast<Made>(j), rng);
                const bool answer = overlaps(a, b, Contact::Area);
                ASSERT_EQ(answer, overlaps(b, a, Contact::Area)) << i << " " << j << " #" << n;
                if (shareASample(a, b, in)) {
                    ASSERT_TRUE(answer) << "pairing " << i << " with " << j << " #" << n;
                    ++hits;
                } else if (answer) {
                    ASSERT_TRUE(nearlyApart(a, b, nullptr)) << "pairing " << i << " with " << j << " #" << n;
                }
            }
            // Both answers were seen often.
            EXPECT_GT(hits, 50) << i << " " << j;
            EXPECT_LT(hits, 550) << i << " " << j;
        }
    }
}

TEST(Collision, TouchingSharesNoAreaButMeetsARegion) {
    const Piece left = Piece::box(0, 0, 10, 10);
    const Piece right = Piece::box(10, 0, 20, 10);
    const Piece corner = Piece::box(10, 10, 20, 20);
    const Piece tangent = Piece::circle(15, 5, 5);  // touches `left` at (10, 5)
    const Piece apart = Piece::circle(25, 5, 5);    // touches `tangent`
    for (const auto& [a, b] : {std::pair{left, right}, {left, corner}, {left, tangent}, {tangent, apart}}) {
        EXPECT_FALSE(overlaps(a, b, Contact::Area));
        EXPECT_TRUE(overlaps(a, b, Contact::Touching));
    }
    EXPECT_TRUE(overlaps(left, moved(right, -0.001, 0), Contact::Area));
    EXPECT_TRUE(overlaps(tangent, moved(apart, -0.001, 0), Contact::Area));
    // A zero-size region still meets what holds it; no area is shared with it.
    const Piece dot = Piece::box(10, 5, 10, 5);
    EXPECT_TRUE(overlaps(dot, left, Contact::Touching));
    EXPECT_FALSE(overlaps(dot, left, Contact::Area));
    EXPECT_FALSE(overlaps(Piece::box(10.001, 5, 10.001, 5), left, Contact::Touching));
    EXPECT_TRUE(contains(tangent, {10, 5}));
    EXPECT_FALSE(contains(tangent, {10, 4.9}));
}

// An 8 by 8 picture at (3, 5) of the atlas, opaque in a ring: columns and rows 2 to 5, less
// the middle texels (3, 3) and (4, 4).
AlphaMask ringMask() {
    AlphaMask mask(16);
    std::vector<uint8_t> rgba(8 * 8 * 4, 255);
    for (uint32_t y = 0; y < 8; ++y) {
        for (uint32_t x = 0; x < 8; ++x) {
            const bool ring = x >= 2 && x <= 5 && y >= 2 && y <= 5 && !(x == y && (x == 3 || x == 4));
            rgba[(y * 8 + x) * 4 + 3] = ring ? 200 : 127;
        }
    }
    mask.set({3, 5, 8, 8}, rgba.data());
    mask.growTo(64);  // a larger sheet keeps the bits
    return mask;
}

// The picture drawn over w by h from (x, y) turned by `angle`, mirrored along x when `flip`.
Piece picture(double x, double y, double w, double h, double angle, bool flip) {
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    Primitive p = primitive(kPrimQuad | kFlagTextured, static_cast<float>(x), static_cast<float>(y),
                            static_cast<float>(x + w * c), static_cast<float>(y + w * s),
                            static_cast<float>(x - h * s), static_cast<float>(y + h * c));
    p.source[0] = 3;
    p.source[1] = 5;
    p.source[2] = 8;
    p.source[3] = 8;
    // From the offset to texels: rotate back, then scale to texels.
    p.inverse[0] = static_cast<float>(8 / w * c);
    p.inverse[1] = static_cast<float>(8 / w * s);
    p.inverse[2] = static_cast<float>(-8 / h * s);
    p.inverse[3] = static_cast<float>(8 / h * c);
    if (flip) {
        // Texel u runs from the far side: u' = 8 - u, so the quad starts at p1.
        std::swap(p.p0, p.p1);
        p.p2[0] += p.p0[0] - p.p1[0];
        p.p2[1] += p.p0[1] - p.p1[1];
        p.inverse[0] = -p.inverse[0];
        p.inverse[1] = -p.inverse[1];
    }
    return Piece::of(p);
}

TEST(Collision, PicturesCollideByTheirOpaqueTexelsHoweverTurnedScaledOrFlipped) {
    const AlphaMask mask = ringMask();
    EXPECT_TRUE(mask.opaque(3 + 2, 5 + 2));
    EXPECT_FALSE(mask.opaque(3 + 3, 5 + 3));
    EXPECT_FALSE(mask.opaque(3 + 1, 5 + 2));
    // At its own size from (0, 0): its transparent border and hole collide only as a box.
    const Piece plain = picture(0, 0, 8, 8, 0, false);
    const Piece corner = Piece::box(0, 0, 1.5, 1.5);
    const Piece hole = Piece::circle(3.5, 3.5, 0.4);
    const Piece rim = Piece::box(5.5, 2.5, 7, 3);
    EXPECT_TRUE(overlaps(plain, corner, nullptr));
    EXPECT_FALSE(overlaps(plain, corner, &mask));
    EXPECT_FALSE(overlaps(plain, hole, &mask));
    EXPECT_TRUE(overlaps(plain, rim, &mask));
    EXPECT_FALSE(overlaps(plain, Piece::box(6, 2.5, 7, 3), &mask));  // touching the ring's edge

    // Random turned, scaled and flipped pictures against random pieces and against each other,
    // checked with samples read through the texels.
    const auto in = [&](const Piece& p, double x, double y) {
        if (!p.textured) {
            return inside(p, x, y);
        }
        const double dx = x - p.at[0].x;
        const double dy = y - p.at[0].y;
        const double u = p.inverse[0] * dx + p.inverse[1] * dy;
        const double v = p.inverse[2] * dx + p.inverse[3] * dy;
        return u >= 0 && v >= 0 && u < 8 && v < 8 &&
               mask.opaque(3 + static_cast<uint32_t>(u), 5 + static_cast<uint32_t>(v));
    };
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> at(0.0, 16.0);
    std::uniform_real_distribution<double> size(6.0, 20.0);
    std::uniform_real_distribution<double> turn(0.0, 2.0 * kPi);
    int hits = 0;
    int boxOnly = 0;
    for (int n = 0; n < 2000; ++n) {
        const Piece a = picture(at(rng), at(rng), size(rng), size(rng), turn(rng), rng() % 2 == 0);
        const Piece b = n % 2 ? picture(at(rng), at(rng), size(rng), size(rng), turn(rng), rng() % 2 == 0)
                              : make(static_cast<Made>(rng() % static_cast<int>(Made::Count)), rng);
        const bool answer = overlaps(a, b, &mask);
        ASSERT_EQ(answer, overlaps(b, a, &mask)) << n;
        if (shareASample(a, b, in)) {
            ASSERT_TRUE(answer) << n;
            ++hits;
        } else if (answer) {
            ASSERT_TRUE(nearlyApart(a, b, &mask)) << n;
        }
        boxOnly += !answer && overlaps(a, b, nullptr);
    }
    EXPECT_GT(hits, 200);
    EXPECT_GT(boxOnly, 100);
}

}  // namespace
}  // namespace orv
