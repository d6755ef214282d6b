#pragma once
// poll's frame cap: at most one drawn frame per sixtieth of a second.

#include <cstdint>

namespace qel {

// One sixtieth of a second, truncated.
constexpr std::int64_t kFrameIntervalNs = 16'666'666;

struct PaceStep {
    double frameTime;  // seconds since the last drawn frame
    bool draw;         // whether this poll draws
};

PaceStep paceFrame(std::int64_t currentNs, std::int64_t lastFrameNs);

}  // namespace qel
