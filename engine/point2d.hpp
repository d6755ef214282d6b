#pragma once
// A point in window pixels: origin at the top-left of the drawing area, y growing down.

struct Point2D {
    double x = 0.0;
    double y = 0.0;
};
