#pragma once
// A buffer in host-visible, coherent memory, mapped for its whole life, that grows (and,
// when mostly unused for long enough, shrinks) on request. Frames keep their uploads here:
// the caller resizes one only while no frame in flight reads it.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <string>

#include "vulkan/orv_device.hpp"
#include "vulkan/vk_handle.hpp"

namespace orv {

class HostBuffer {
public:
    // `purpose` names the buffer in errors: "failed to create <purpose> buffer!".
    HostBuffer(OrvDevice& device, VkBufferUsageFlags usage, const char* purpose);

    HostBuffer(const HostBuffer&) = delete;
    HostBuffer& operator=(const HostBuffer&) = delete;

    // Makes room for `bytes` and returns whether the buffer was replaced (its handle and
    // mapping change, and descriptors naming it must be written again). Its contents are
    // not kept when it is replaced.
    bool reserve(VkDeviceSize bytes);

    VkBuffer handle() const { return buffer; }
    void* data() const { return mapped; }
    VkDeviceSize capacity() const { return size; }

private:
    OrvDevice& device;
    VkBufferUsageFlags usage;
    const char* purpose;
    // Freeing the memory unmaps it; the buffer goes first.
    VkHandle<VkDeviceMemory> memory;
    VkHandle<VkBuffer> buffer;
    void* mapped = nullptr;
    VkDeviceSize size = 0;
    // Frames in a row that used less than a quarter of the buffer.
    unsigned underused = 0;
};

}  // namespace orv
