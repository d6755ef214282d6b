#pragma once
// Rectangles and circles: six vertices in window pixels, movable, with hit tests.

#include "engine/orv_model.hpp"

namespace orv {

class Rectangle : public OrvModel {
public:
    Rectangle(double x, double y, double sizeX, double sizeY, OrvDevice& device, VertexArena& arena);
    void moveTo(double x, double y) override;
    bool isInside(const Point2D& point) const override;

private:
    double sizeX;
    double sizeY;
};

class Circle : public OrvModel {
public:
    Circle(double x, double y, double radius, OrvDevice& device, VertexArena& arena);
    void moveTo(double x, double y) override;
    bool isInside(const Point2D& point) const override;
    double getRadius() const { return radius; }

private:
    double radius;
};

}  // namespace orv
