#include "engine/frame_memory.hpp"

#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orv {

namespace {
constexpr int kTopPadBytes = 16 << 20;
}  // namespace

void keepFrameMemory() {
#if defined(__GLIBC__)
    static const bool done = [] {
        if (std::getenv("MALLOC_TOP_PAD_") == nullptr) {
            mallopt(M_TOP_PAD, kTopPadBytes);
        }
        return true;
    }();
    (void)done;
#endif
}

}  // namespace orv
