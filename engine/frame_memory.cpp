#include "engine/frame_memory.hpp"

#include <cstdlib>
#include <initializer_list>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orv {

namespace {

#if defined(__GLIBC__)
// glibc's starting value, kept fixed: otherwise it climbs each time a large block is freed,
// and image-sized blocks of the swap chain then come from the heaps and fragment them over
// rebuilds.
constexpr int kMapThresholdBytes = 128 << 10;
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
