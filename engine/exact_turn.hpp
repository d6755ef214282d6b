#pragma once
// The cosine and sine of a turn, written once for everything that turns (objects, their
// pieces, the camera).

#include <cmath>

namespace orv {

// For `degrees`, exact for whole quarter turns: cos 90 degrees computed is 6e-17, which would
// turn a box ever so slightly off its whole pixels.
inline void exactTurn(double degrees, double& c, double& s) {
    double turn = std::fmod(degrees, 360.0);
    turn += turn < 0.0 ? 360.0 : 0.0;
    if (turn == 0.0 || turn == 90.0 || turn == 180.0 || turn == 270.0) {
        const int quarter = static_cast<int>(turn / 90.0);
        const double cosines[4] = {1.0, 0.0, -1.0, 0.0};
        c = cosines[quarter];
        s = cosines[(quarter + 3) % 4];
        return;
    }
    const double radians = turn * (3.14159265358979323846 / 180.0);
    c = std::cos(radians);
    s = std::sin(radians);
}

}  // namespace orv
