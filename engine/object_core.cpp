#include "engine/object_core.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

namespace orv {

uint64_t nextObjectId = 0;

uint32_t upcomingObjectId() {
    if (nextObjectId > UINT32_MAX) {
        throw std::runtime_error(
            "every object identifier (0 to 4294967295) has been given out in this process, and none is used twice: "
            "no more objects can be created");
    }
    return static_cast<uint32_t>(nextObjectId);
}

void requireFinite(std::initializer_list<double> values, const char* what) {
    for (const double v : values) {
        if (!std::isfinite(v)) {
            throw std::invalid_argument(std::string(what) + " must be finite numbers");
        }
    }
}

void requireWidth(double width, const char* what) {
    if (!(width >= 0.0) || !std::isfinite(width)) {
        throw std::invalid_argument(std::string(what) + " must be a finite number of pixels, 0 or more");
    }
}

}  // namespace orv
