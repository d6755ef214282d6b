#include "engine/vertex_arena.hpp"

#include <stdexcept>

namespace orv {

VertexArena::VertexArena(OrvDevice& d) : device{d} {}

VertexArena::~VertexArena() {
    VkDevice vk = device.getDevice();
    for (Block& block : blocks) {
        vkUnmapMemory(vk, block.memory);
        vkDestroyBuffer(vk, block.buffer, nullptr);
        vkFreeMemory(vk, block.memory, nullptr);
    }
}

VertexArena::Block VertexArena::createBlock() {
    VkDevice vk = device.getDevice();
    const VkDeviceSize size = regionOffset(kRegions);
    Block block;

    VkBufferCreateInfo bufferInfo{};
    bufferInfo.sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO;
    bufferInfo.size = size;
    bufferInfo.usage = VK_BUFFER_USAGE_VERTEX_BUFFER_BIT;
    bufferInfo.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    if (vkCreateBuffer(vk, &bufferInfo, nullptr, &block.buffer) != VK_SUCCESS) {
        throw std::runtime_error("failed to create vertex buffer!");
    }

    VkMemoryRequirements requirements;
    vkGetBufferMemoryRequirements(vk, block.buffer, &requirements);
    VkMemoryAllocateInfo allocInfo{};
    allocInfo.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    allocInfo.allocationSize = requirements.size;
    try {
        allocInfo.memoryTypeIndex = device.findMemoryType(
            requirements.memoryTypeBits,
            VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT);
        if (vkAllocateMemory(vk, &allocInfo, nullptr, &block.memory) != VK_SUCCESS) {
            throw std::runtime_error("failed to allocate vertex buffer memory!");
        }
    } catch (...) {
        vkDestroyBuffer(vk, block.buffer, nullptr);
        throw;
    }

    void* mapped = nullptr;
    if (vkBindBufferMemory(vk, block.buffer, block.memory, 0) != VK_SUCCESS ||
        vkMapMemory(vk, block.memory, 0, size, 0, &mapped) != VK_SUCCESS) {
        vkDestroyBuffer(vk, block.buffer, nullptr);
        vkFreeMemory(vk, block.memory, nullptr);
        throw std::runtime_error("failed to allocate vertex buffer memory!");
    }
    block.mapped = static_cast<Vertex*>(mapped);
    return block;
}

VertexArena::Slice VertexArena::allocate(uint32_t vertexCount) {
    const uint32_t rounded = (vertexCount + kVertexAlignment - 1) / kVertexAlignment * kVertexAlignment;
    if (rounded > kUsableVertices) {
        throw std::runtime_error("failed to allocate vertex buffer memory!");
    }
    if (blocks.empty() || kUsableVertices - blocks.back().used < rounded) {
        blocks.push_back(createBlock());
    }
    // Slices are handed out from the top of a block down, so a later model sits just
    // below an earlier one and a run drawn in memory order draws the later models first.
    Block& block = blocks.back();
    block.used += rounded;
    return Slice{static_cast<uint32_t>(blocks.size() - 1), kUsableVertices - block.used};
}

}  // namespace orv
