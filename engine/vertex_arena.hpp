#pragma once
// Host-visible, coherent vertex memory handed out to models in slices of a few large
// blocks: drivers cap the number of device allocations (often at 4096), so one per
// shape would break scenes with thousands of shapes.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <vector>

#include "vulkan/orv_device.hpp"

namespace orv {

class VertexArena {
public:
    struct Slice {
        VkBuffer buffer = VK_NULL_HANDLE;
        VkDeviceSize offset = 0;
        std::byte* mapped = nullptr;  // persistently mapped start of the slice
    };

    static constexpr VkDeviceSize kBlockSize = 4u << 20;

    explicit VertexArena(OrvDevice& device);
    ~VertexArena();

    VertexArena(const VertexArena&) = delete;
    VertexArena& operator=(const VertexArena&) = delete;

    Slice allocate(VkDeviceSize size);

    // Device memory allocations made so far.
    size_t allocationCount() const { return blocks.size(); }

private:
    struct Block {
        VkBuffer buffer = VK_NULL_HANDLE;
        VkDeviceMemory memory = VK_NULL_HANDLE;
        std::byte* mapped = nullptr;
        VkDeviceSize size = 0;
        VkDeviceSize used = 0;
    };

    Block createBlock(VkDeviceSize size);

    OrvDevice& device;
    std::vector<Block> blocks;
};

}  // namespace orv
