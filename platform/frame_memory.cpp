#include "platform/frame_memory.hpp"

#include <cstdlib>
#include <initializer_list>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orv {

namespace {

#if defined(__GLIBC__)
// Draws are sized so the driver's per-frame blocks stay under this and come from the heaps
// instead of a fresh mapping each frame; larger blocks, such as a swap chain's images, are
// mapped, so rebuilds do not fragment the heaps. Fixed, so it does not climb as large
// blocks are freed.
constexpr int kMapThresholdBytes = 1 << 20;
// Free memory at the top of a heap is handed back only beyond this much, so the driver's
// per-frame blocks stay between frames.
constexpr int kTrimThresholdBytes = 32 << 20;

bool userTunedAllocator() {
    for (const char* name : {"MALLOC_TOP_PAD_", "MALLOC_TRIM_THRESHOLD_", "MALLOC_MMAP_THRESHOLD_",
                             "MALLOC_MMAP_MAX_", "MALLOC_ARENA_MAX", "MALLOC_ARENA_TEST", "GLIBC_TUNABLES"}) {
        if (std::getenv(name) != nullptr) {
            return true;
        }
    }
    return false;
}
#endif

}  // namespace

void keepFrameMemory() {
#if defined(__GLIBC__)
    static const bool done = [] {
        if (!userTunedAllocator()) {
            mallopt(M_MMAP_THRESHOLD, kMapThresholdBytes);
            mallopt(M_TRIM_THRESHOLD, kTrimThresholdBytes);
        }
        return true;
    }();
    (void)done;
#endif
}

}  // namespace orv
