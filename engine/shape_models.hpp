#pragma once
// Rectangles and circles: six vertices in window pixels, movable, with hit tests.

#include "engine/orv_model.hpp"

namespace orv {

// The GPU copy of a rectangle's or circle's vertices carries the object's colour, shifted
// by a kind marker the shaders decode: no colour component reaches these values.
constexpr float kRectangleMarker = 4.0f;
constexpr float kCircleMarker = 8.0f;

class Rectangle : public OrvModel {
public:
    Rectangle(double x, double y, double sizeX, double sizeY, OrvDevice& device, VertexArena& arena);
    void moveTo(double x, double y) override;
    bool isInside(const Point2D& point) const override;
    bool drawsInBatch() const override { return true; }

protected:
    void encodeVertices(Vertex* out, const Color& color) const override;

private:
    double sizeX;
    double sizeY;
};

class Circle : public OrvModel {
public:
    Circle(double x, double y, double radius, OrvDevice& device, VertexArena& arena);
    void moveTo(double x, double y) override;
    bool isInside(const Point2D& point) const override;
    bool drawsInBatch() const override { return true; }
    bool cutsDisc() const override { return true; }
    double getRadius() const { return radius; }

protected:
    void encodeVertices(Vertex* out, const Color& color) const override;

private:
    double radius;
};

}  // namespace orv
