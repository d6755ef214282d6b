#pragma once

namespace orv {

// A CPU Vulkan driver frees and allocates megabytes of working memory every frame. With
// glibc's defaults much of it goes back to the kernel at each free and is faulted in and
// zeroed again on the next frame, which with thousands of shapes costs more than the
// drawing. Larger mapping and trimming thresholds keep it in the heaps between frames:
// what stays is what a frame used, not more. A user who set glibc's malloc variables
// (MALLOC_*_ or GLIBC_TUNABLES) keeps exactly those.
void keepFrameMemory();

}  // namespace orv
