#pragma once
// Owners of single Vulkan objects, so a constructor that throws halfway leaves nothing behind
// and members go in reverse order of declaration.

#include <vulkan/vulkan.h>

#include <functional>
#include <type_traits>
#include <utility>

#include "vulkan/vk_check.hpp"

namespace orv {

// One Vulkan object and what destroys it: its parent's (a device's or an instance's) destroy
// function, or, for the instance and the device themselves, their own.
template <typename Handle>
class VkHandle {
public:
    VkHandle() = default;
    // The parent's type is taken from `destroy` alone, so an owned parent passes as its handle.
    template <typename Parent>
    VkHandle(typename std::enable_if<true, Parent>::type parent, Handle handle,
             void (*destroy)(Parent, Handle, const VkAllocationCallbacks*)) noexcept
        : handle_{handle}, destroy_{[parent, destroy](Handle made) { destroy(parent, made, nullptr); }} {}
    VkHandle(Handle handle, void (*destroy)(Handle, const VkAllocationCallbacks*)) noexcept
        : handle_{handle}, destroy_{[destroy](Handle made) { destroy(made, nullptr); }} {}
    ~VkHandle() { reset(); }

    VkHandle(VkHandle&& other) noexcept : handle_{other.release()}, destroy_{std::move(other.destroy_)} {}
    VkHandle& operator=(VkHandle&& other) noexcept {
        if (this != &other) {
            reset();
            destroy_ = std::move(other.destroy_);
            handle_ = other.release();
        }
        return *this;
    }
    VkHandle(const VkHandle&) = delete;
    VkHandle& operator=(const VkHandle&) = delete;

    Handle get() const { return handle_; }
    // Read like the raw handle wherever one is passed by value.
    operator Handle() const { return handle_; }

    void reset() noexcept {
        if (handle_ != VK_NULL_HANDLE) {
            destroy_(handle_);
            handle_ = VK_NULL_HANDLE;
        }
    }
    // Gives up ownership: the caller destroys what is returned.
    Handle release() noexcept { return std::exchange(handle_, VK_NULL_HANDLE); }

private:
    Handle handle_ = VK_NULL_HANDLE;
    // Two pointers at most: held without allocating.
    std::function<void(Handle)> destroy_;
};

// A primary command buffer from `pool`, given back to it on destruction.
class CommandBufferHandle {
public:
    CommandBufferHandle() = default;
    CommandBufferHandle(VkDevice device, VkCommandPool pool) : device_{device}, pool_{pool} {
        VkCommandBufferAllocateInfo info{};
        info.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_ALLOCATE_INFO;
        info.level = VK_COMMAND_BUFFER_LEVEL_PRIMARY;
        info.commandPool = pool;
        info.commandBufferCount = 1;
        const VkResult result = vkAllocateCommandBuffers(device, &info, &buffer_);
        if (result != VK_SUCCESS) {
            buffer_ = VK_NULL_HANDLE;
            throw vkError("failed to allocate command buffers!", result);
        }
    }
    ~CommandBufferHandle() { reset(); }

    CommandBufferHandle(CommandBufferHandle&& other) noexcept
        : device_{other.device_}, pool_{other.pool_}, buffer_{std::exchange(other.buffer_, VK_NULL_HANDLE)} {}
    CommandBufferHandle& operator=(CommandBufferHandle&& other) noexcept {
        if (this != &other) {
            reset();
            device_ = other.device_;
            pool_ = other.pool_;
            buffer_ = std::exchange(other.buffer_, VK_NULL_HANDLE);
        }
        return *this;
    }
    CommandBufferHandle(const CommandBufferHandle&) = delete;
    CommandBufferHandle& operator=(const CommandBufferHandle&) = delete;

    VkCommandBuffer get() const { return buffer_; }
    operator VkCommandBuffer() const { return buffer_; }

    void reset() noexcept {
        if (buffer_ != VK_NULL_HANDLE) {
            vkFreeCommandBuffers(device_, pool_, 1, &buffer_);
            buffer_ = VK_NULL_HANDLE;
        }
    }
    // Gives up the buffer without freeing it: its pool frees it when destroyed.
    VkCommandBuffer release() noexcept { return std::exchange(buffer_, VK_NULL_HANDLE); }

private:
    VkDevice device_ = VK_NULL_HANDLE;
    VkCommandPool pool_ = VK_NULL_HANDLE;
    VkCommandBuffer buffer_ = VK_NULL_HANDLE;
};

}  // namespace orv
