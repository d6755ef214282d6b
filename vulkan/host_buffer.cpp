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

HostBuffer::~HostBuffer() {
    release();
}

void HostBuffer::release() noexcept {
    VkDevice vk = device.getDevice();
    if (mapped != nullptr) {
        vkUnmapMemory(vk, memory);
        mapped = nullptr;
    }
    vkDestroyBuffer(vk, buffer, nullptr);
    vkFreeMemory(vk, memory, nullptr);
    buffer = VK_NULL_HANDLE;
    memory = VK_NULL_HANDLE;
    size = 0;
}

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
    release();

    VkDevice vk = device.getDevice();
    VkBufferCreateInfo bufferInfo{};
    bufferInfo.sType = VK_STRUCTURE_TYPE_BUFFER_CREATE_INFO;
    bufferInfo.size = wanted;
    bufferInfo.usage = usage;
    bufferInfo.sharingMode = VK_SHARING_MODE_EXCLUSIVE;
    VkResult result = vkCreateBuffer(vk, &bufferInfo, nullptr, &buffer);
    if (result != VK_SUCCESS) {
        buffer = VK_NULL_HANDLE;
        throw vkError(std::string("failed to create ") + purpose + " buffer!", result);
    }
    try {
        VkMemoryRequirements requirements;
        vkGetBufferMemoryRequirements(vk, buffer, &requirements);
        VkMemoryAllocateInfo allocInfo{};
        allocInfo.sType = VK_STRUCTURE_TYPE_MEMORY_ALLOCATE_INFO;
        allocInfo.allocationSize = requirements.size;
        allocInfo.memoryTypeIndex = device.findMemoryType(
            requirements.memoryTypeBits, VK_MEMORY_PROPERTY_HOST_VISIBLE_BIT | VK_MEMORY_PROPERTY_HOST_COHERENT_BIT);
        result = vkAllocateMemory(vk, &allocInfo, nullptr, &memory);
        if (result != VK_SUCCESS) {
            memory = VK_NULL_HANDLE;
            throw vkError(std::string("failed to allocate ") + purpose + " buffer memory!", result);
        }
        const std::string failed = std::string("failed to map ") + purpose + " buffer memory!";
        vkCheck(vkBindBufferMemory(vk, buffer, memory, 0), failed.c_str());
        vkCheck(vkMapMemory(vk, memory, 0, wanted, 0, &mapped), failed.c_str());
    } catch (...) {
        mapped = nullptr;
        release();
        throw;
    }
    size = wanted;
    return true;
}

}  // namespace orv
