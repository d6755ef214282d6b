#pragma once
// Owners of single Vulkan objects, so a constructor that throws halfway leaves nothing behind
// and members go in reverse order of declaration.

#include <vulkan/vulkan.h>

#include <utility>

#include "vulkan/vk_check.hpp"

namespace orv {

// One object made from `Parent` (a device or an instance), destroyed with `destroy`.
template <typename Handle, typename Parent = VkDevice>
class VkHandle {
public:
    using Destroy = void (*)(Parent, Handle, const VkAllocationCallbacks*);

    VkHandle() = default;
    VkHandle(Parent parent, Handle handle, Destroy destroy) noexcept
        : parent_{parent}, handle_{handle}, destroy_{destroy} {}
    ~VkHandle() { reset(); }

    VkHandle(VkHandle&& other) noexcept
        : parent_{other.parent_}, handle_{other.release()}, destroy_{other.destroy_} {}
    VkHandle& operator=(VkHandle&& other) noexcept {
        if (this != &other) {
            reset();
            parent_ = other.parent_;
            destroy_ = other.destroy_;
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
            destroy_(parent_, handle_, nullptr);
            handle_ = VK_NULL_HANDLE;
        }
    }
    // Gives up ownership: the caller destroys what is returned.
    Handle release() noexcept { return std::exchange(handle_, VK_NULL_HANDLE); }

private:
    Parent parent_{};
    Handle handle_ = VK_NULL_HANDLE;
    Destroy destroy_ = nullptr;
};

// The instance and the device have no parent.
template <typename Handle>
class VkHandle<Handle, void> {
public:
    using Destroy = void (*)(Handle, const VkAllocationCallbacks*);

    VkHandle() = default;
    VkHandle(Handle handle, Destroy destroy) noexcept : handle_{handle}, destroy_{destroy} {}
    ~VkHandle() { reset(); }

    VkHandle(VkHandle&& other) noexcept : handle_{other.release()}, destroy_{other.destroy_} {}
    VkHandle& operator=(VkHandle&& other) noexcept {
        if (this != &other) {
            reset();
            destroy_ = other.destroy_;
            handle_ = other.release();
        }
        return *this;
    }
    VkHandle(const VkHandle&) = delete;
    VkHandle& operator=(const VkHandle&) = delete;

    Handle get() const { return handle_; }
    operator Handle() const { return handle_; }

    void reset() noexcept {
        if (handle_ != VK_NULL_HANDLE) {
            destroy_(handle_, nullptr);
            handle_ = VK_NULL_HANDLE;
        }
    }
    Handle release() noexcept { return std::exchange(handle_, VK_NULL_HANDLE); }

private:
    Handle handle_ = VK_NULL_HANDLE;
    Destroy destroy_ = nullptr;
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

private:
    VkDevice device_ = VK_NULL_HANDLE;
    VkCommandPool pool_ = VK_NULL_HANDLE;
    VkCommandBuffer buffer_ = VK_NULL_HANDLE;
};

}  // namespace orv
