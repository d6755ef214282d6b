#include "vulkan/host_buffer.hpp"

#include "vulkan/vk_check.hpp"

namespace orv {

namespace {
constexpr VkDeviceSize kMinBytes = 64 * 1024;
// A buffer stays large through short dips, so a scene that comes and goes does not
// reallocate every few frames.
constexpr unsigned kShrinkAfterFrames = 600;
}  // namespace

HostBuffer::HostBuffer(OrvDevice& d, VkBufferUsageFlags u, const char* p) : device{d}, usage{u}, purpose{p} {}

bool HostBuffer::reserve(VkDeviceSize bytes) {
    if (bytes <= size) {
        underused = bytes * 4 < size && size > kMinBytes ? underused + 1 : 0;
        if (underused < kShrinkAfterFrames) {
            return false;
        }
    }
    VkDeviceSize wanted = kMinBytes;
    while (wanted < bytes) {
        wanted *= 2;
    }
    underused = 0;
    buffer.reset();
    memory.reset();
    mapped = nullptr;
    size = 0;

    VkDevice vk = device.getDevice();
    VkBufferCreateInfo bufferInfo{};
    bufferInfo.sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO;
    bufferInfo.size = wanted;
    bufferInfo.usage = usage;
    bufferInfo.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    VkBuffer rawBuffer = VK_NULL_HANDLE;
    VkResult result = vkCreateBuffer(vk, &bufferInfo, nullptr, &rawBuffer);
    if (result != VK_SUCCESS) {
        throw vkError(std::string("failed to create ") + purpose + " buffer!", result);
    }
    VkHandle<VkBuffer> nextBuffer{vk, rawBuffer, vkDestroyBuffer};

    VkMemoryRequirements requirements;
    vkGetBufferMemoryRequirements(vk, nextBuffer, &requirements);
    VkMemoryAllocateInfo allocInfo{};
    allocInfo.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
    allocInfo.allocationSize = requirements.size;
    allocInfo.memoryTypeIndex = device.findMemoryType(
        requirements.memoryTypeBits, VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT);
    VkDeviceMemory rawMemory = VK_NULL_HANDLE;
    result = vkAllocateMemory(vk, &allocInfo, nullptr, &rawMemory);
    if (result != VK_SUCCESS) {
        throw vkError(std::string("failed to allocate ") + purpose + " buffer memory!", result);
    }
    VkHandle<VkDeviceMemory> nextMemory{vk, rawMemory, vkFreeMemory};
    const std::string failed = std::string("failed to map ") + purpose + " buffer memory!";
    vkCheck(vkBindBufferMemory(vk, nextBuffer, nextMemory, 0), failed.c_str());
    void* nextMapped = nullptr;
    vkCheck(vkMapMemory(vk, nextMemory, 0, wanted, 0, &nextMapped), failed.c_str());
    memory = std::move(nextMemory);
    buffer = std::move(nextBuffer);
    mapped = nextMapped;
    size = wanted;
    return true;
}

}  // namespace orv
