#pragma once
// Host-visible, coherent vertex memory for every model, in a few large blocks: drivers
// cap the number of device allocations (often at 4096), so one per shape would break
// scenes with thousands of shapes.
//
// Each block holds one region per frame in flight, laid out alike, so a model owns the
// same vertex range in every region: a frame rewrites only its own region while the GPU
// may still read the other. Consecutive models sit next to each other, the later one
// below, so a run of them draws back to front with a single call.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/vertex.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_swap_chain.hpp"

namespace orv {

class VertexArena {
public:
    static constexpr size_t kRegions = OrvSwapChain::MAX_FRAMES_IN_FLIGHT;
    static constexpr uint32_t kBlockVertices = 1u << 17;  // per region
    // Slices start on multiples of six, so a quad's corner is its vertex index mod 6.
    static constexpr uint32_t kVertexAlignment = 6;
    static constexpr uint32_t kUsableVertices = kBlockVertices / kVertexAlignment * kVertexAlignment;

    struct Slice {
        uint32_t block = 0;
        uint32_t firstVertex = 0;
    };

    explicit VertexArena(OrvDevice& device);
    ~VertexArena();

    VertexArena(const VertexArena&) = delete;
    VertexArena& operator=(const VertexArena&) = delete;

    Slice allocate(uint32_t vertexCount);

    Vertex* vertices(const Slice& slice, size_t region) const {
        return blocks[slice.block].mapped + region * kBlockVertices + slice.firstVertex;
    }
    VkBuffer buffer(uint32_t block) const { return blocks[block].buffer; }
    static VkDeviceSize regionOffset(size_t region) {
        return static_cast<VkDeviceSize>(region) * kBlockVertices * sizeof(Vertex);
    }

    // Device memory allocations made so far.
    size_t allocationCount() const { return blocks.size(); }

private:
    struct Block {
        VkBuffer buffer = VK_NULL_HANDLE;
        VkDeviceMemory memory = VK_NULL_HANDLE;
        Vertex* mapped = nullptr;
        uint32_t used = 0;  // vertices handed out, per region
    };

    Block createBlock();

    OrvDevice& device;
    std::vector<Block> blocks;
};

}  // namespace orv
