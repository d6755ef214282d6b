#pragma once

namespace orv {

// A CPU Vulkan driver frees and allocates megabytes of working memory every frame. With
// glibc's defaults the freed memory goes back to the kernel each time and is faulted in
// and zeroed again on the next frame, which with thousands of shapes costs more than the
// drawing. A pad kept at the top of each heap holds it between frames; the pad is bounded,
// so resident memory settles instead of growing. A pad the user set in the environment
// (MALLOC_TOP_PAD_) is left as it is.
void keepFrameMemory();

}  // namespace orv
