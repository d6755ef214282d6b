#include "engine/frame_memory.hpp"

#include <cstdlib>
#include <initializer_list>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace orv {

namespace {

#if defined(__GLIBC__)
// The driver's largest per-frame blocks are a little over 1 MiB; below this size they come
// from the heap instead of a fresh mapping each time.
constexpr int kMapThresholdBytes = 4 << 20;
// Free memory at the top of a heap is handed back only beyond this much.
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
