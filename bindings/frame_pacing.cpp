#include "bindings/frame_pacing.hpp"

namespace qel {

PaceStep paceFrame(std::int64_t currentNs, std::int64_t lastFrameNs) {
    const std::int64_t elapsed = currentNs - lastFrameNs;
    return PaceStep{static_cast<double>(elapsed) / 1'000'000'000.0, elapsed >= kFrameIntervalNs};
}

}  // namespace qel
