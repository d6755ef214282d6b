// Preloaded into a test process: counts the device memory allocations the process makes
// through the Vulkan loader and reports them when the process ends.

#include <vulkan/vulkan.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<long> allocations{0};
std::atomic<long> live{0};
std::atomic<long> peak{0};

// The loader is usually loaded privately with the module, after this library, so look
// the real entry points up in it directly.
template <typename Fn>
Fn next(const char* name) {
    static void* loader = dlopen("libvulkan.so.1", RTLD_NOW | RTLD_LOCAL);
    return reinterpret_cast<Fn>(dlsym(loader, name));
}

struct Reporter {
    ~Reporter() {
        std::fprintf(stderr, "vk-alloc-counter: allocations=%ld peak-live=%ld live-at-exit=%ld\n",
                     allocations.load(), peak.load(), live.load());
    }
} reporter;

}  // namespace

extern "C" VKAPI_ATTR VkResult VKAPI_CALL vkAllocateMemory(VkDevice device, const VkMemoryAllocateInfo* info,
                                                          const VkAllocationCallbacks* allocator,
                                                          VkDeviceMemory* memory) {
    static const auto real = next<PFN_vkAllocateMemory>("vkAllocateMemory");
    const VkResult result = real(device, info, allocator, memory);
    if (result == VK_SUCCESS) {
        ++allocations;
        const long now = ++live;
        long seen = peak.load();
        while (now > seen && !peak.compare_exchange_weak(seen, now)) {
        }
    }
    return result;
}

extern "C" VKAPI_ATTR void VKAPI_CALL vkFreeMemory(VkDevice device, VkDeviceMemory memory,
                                                  const VkAllocationCallbacks* allocator) {
    static const auto real = next<PFN_vkFreeMemory>("vkFreeMemory");
    if (memory != VK_NULL_HANDLE) {
        --live;
    }
    real(device, memory, allocator);
}
