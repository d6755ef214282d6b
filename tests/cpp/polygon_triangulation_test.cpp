// Ear clipping: the triangles cover the polygon exactly (their areas add up to its area and
// each lies inside it), whichever way round the points run; polygons that cannot be drawn
// are refused.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "engine/polygon_shape.hpp"
#include "engine/polygon_triangulation.hpp"

namespace orv {
namespace {

double twiceArea(const Point2D& a, const Point2D& b, const Point2D& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

// Even-odd: whether p is inside the polygon.
bool inside(const std::vector<Point2D>& poly, const Point2D& p) {
    bool in = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point2D& a = poly[i];
        const Point2D& b = poly[j];
        if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
            in = !in;
        }
    }
    return in;
}

void expectCovered(const std::vector<Point2D>& points, size_t triangles) {
    const PolygonShape shape = makePolygonShape(points);
    ASSERT_EQ(shape.triangles.size(), triangles * 3);
    const double area = std::abs(doubleSignedArea(points, distinctCorners(points)));
    double sum = 0.0;
    for (size_t t = 0; t < shape.triangles.size(); t += 3) {
        const Point2D& a = points.at(shape.triangles[t]);
        const Point2D& b = points.at(shape.triangles[t + 1]);
        const Point2D& c = points.at(shape.triangles[t + 2]);
        const double w = twiceArea(a, b, c);
        // The same way round as the polygon, none flat.
        EXPECT_GT(shape.anticlockwise ? w : -w, 0.0) << "triangle " << t / 3;
        sum += std::abs(w);
        EXPECT_TRUE(inside(points, Point2D{(a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3})) << "triangle " << t / 3;
    }
    EXPECT_NEAR(sum, area, area * 1e-9);
}

std::vector<Point2D> reversed(std::vector<Point2D> points) {
    return {points.rbegin(), points.rend()};
}

std::vector<Point2D> star(size_t tips, double outer, double inner) {
    std::vector<Point2D> points;
    for (size_t i = 0; i < 2 * tips; ++i) {
        const double a = 3.14159265358979 * static_cast<double>(i) / static_cast<double>(tips);
        const double r = i % 2 == 0 ? outer : inner;
        points.push_back({100 + r * std::cos(a), 100 + r * std::sin(a)});
    }
    return points;
}

TEST(PolygonTriangulation, CoversConvexAndConcavePolygonsEitherWayRound) {
    const std::vector<Point2D> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::vector<Point2D> ell{{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 40}, {0, 40}};
    // A comb: every other corner turns the other way.
    std::vector<Point2D> comb{{0, 0}};
    for (int i = 0; i < 8; ++i) {
        comb.push_back({i * 10.0 + 5, 30});
        comb.push_back({i * 10.0 + 10, 5});
    }
    comb.push_back({80, 40});
    comb.push_back({0, 40});
    for (const auto& points : {square, ell, star(5, 50, 20), comb}) {
        expectCovered(points, points.size() - 2);
        expectCovered(reversed(points), points.size() - 2);
    }
    // Thousands of corners, half of them turning inwards.
    expectCovered(star(5000, 90, 60), 9998);
}

TEST(PolygonTriangulation, StraightRunsAndRepeatedPointsGiveNoFlatTriangles) {
    // Corners on the sides, a point given twice and the first again at the end: six corners.
    const std::vector<Point2D> points{{0, 0}, {5, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 5}, {0, 0}};
    expectCovered(points, 4);
    expectCovered(reversed(points), 4);
    // An L with a straight corner in its inner side.
    expectCovered({{0, 0}, {30, 0}, {30, 10}, {20, 10}, {10, 10}, {10, 40}, {0, 40}}, 5);
}

TEST(PolygonTriangulation, CentroidIsTheCentreOfTheArea) {
    // An L: a bar along the top and one down the left side.
    const PolygonShape shape = makePolygonShape({{0, 0}, {30, 0}, {30, 10}, {10, 10}, {10, 30}, {0, 30}});
    // A 30 x 10 bar (centre 15, 5, area 300) and a 10 x 20 bar (centre 5, 20, area 200).
    EXPECT_NEAR(shape.centroid.x, (15.0 * 300 + 5.0 * 200) / 500, 1e-9);
    EXPECT_NEAR(shape.centroid.y, (5.0 * 300 + 20.0 * 200) / 500, 1e-9);
}

TEST(PolygonTriangulation, RefusesWhatCannotBeDrawn) {
    const double nan = std::nan("");
    const std::vector<std::vector<Point2D>> refused{
        {{0, 0}, {1, 1}},                           // too few
        {{0, 0}, {1, 1}, {2, 2}, {3, 3}},           // on one line
        {{0, 0}, {0, 0}, {5, 5}},                   // two distinct points
        {{0, 0}, {10, 10}, {10, 0}, {0, 10}},       // a bow tie: sides cross
        {{0, 0}, {10, 0}, {10, 10}, {5, 0}, {0, 10}},  // a corner on another side
        {{0, 0}, {10, 0}, {5, 0}, {5, 10}},         // a side folds back along the next
        {{0, 0}, {nan, 0}, {5, 5}},
        {{0, 0}, {INFINITY, 0}, {5, 5}},
        std::vector<Point2D>(kMaxPolygonPoints + 1, Point2D{1, 2}),
    };
    for (size_t i = 0; i < refused.size(); ++i) {
        EXPECT_THROW(makePolygonShape(refused[i]), std::invalid_argument) << "case " << i;
    }
}

}  // namespace
}  // namespace orv
