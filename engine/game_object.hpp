#pragma once
// One entry of the engine's scene: a model with its colour, placement and identifier.

#include <array>
#include <cstdint>
#include <memory>

#include "engine/orv_model.hpp"

namespace orv {

struct GameObject {
    std::shared_ptr<OrvModel> model;
    std::array<float, 3> color{};
    std::array<float, 2> offset{0.2f, 0.0f};
    std::array<float, 2> scale{2.0f, 0.5f};
    float rotation = 1.5707964f;  // pi / 2
    uint32_t id = 0;
};

// Process-wide: 0 at load, never reset, so identifiers stay unique across engines.
extern uint32_t nextObjectId;

}  // namespace orv
