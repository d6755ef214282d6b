#include "engine/frame_loop.hpp"

#include <stdexcept>
#include <system_error>
#include <utility>

#include "engine/lowering.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

namespace {

// What an image of our own is made of: the format the swap chain takes on this platform, so
// that frames without a window have the same pixels.
constexpr VkFormat kOffscreenFormat = VK_FORMAT_B8G8R8A8_UNORM;

}  // namespace

FrameLoop::FrameLoop(OrvDevice& d, OrvQueue& q, OrvWindow* w, VkExtent2D s, Renderer& r, TextureAtlas& a, Scene& sc,
                     bool v)
    : device{d}, queue{q}, window{w}, size{s}, vsync{v}, renderer{r}, atlas{a}, scene{sc}, frames{d} {
    rebuildTarget();
    atlas.setBeforeChange([this] { settleHandedFrame(); });
}

FrameLoop::~FrameLoop() {
    releaseTarget();
    atlas.setBeforeChange({});
}

void FrameLoop::releaseTarget() noexcept {
    settleHandedFrame();
    waitIdle();
    readableSlot = kNoSlot;
    swapChain.reset();
    offscreen.reset();
}

const RenderTarget& FrameLoop::target() const {
    if (window != nullptr) {
        return *swapChain;
    }
    return *offscreen;
}

void FrameLoop::rebuildTarget() {
    if (window != nullptr) {
        VkExtent2D extent = window->extent();
        while (extent.width == 0 || extent.height == 0) {
            extent = window->extent();
            window->waitEvents();
        }
    }
    waitIdle();

    // Stays set if anything below fails, so the next frame tries again; the current target
    // is replaced only by a complete new one.
    needsRebuild = true;
    readableSlot = kNoSlot;
    if (window != nullptr) {
        auto next = std::make_unique<OrvSwapChain>(device, device.getSurface(), window->framebufferExtent(),
                                                   renderer.imageUsage(), swapChain.get(), vsync);
        swapChain = std::move(next);
    } else if (!offscreen) {
        offscreen = std::make_unique<OffscreenTarget>(device, size, kOffscreenFormat, renderer.imageUsage());
    }
    // The renderer's buffers for the target are part of the rebuild: if they fail, it stays pending.
    renderer.useTarget(target());
    needsRebuild = false;
}

void FrameLoop::drawFrame() {
    lowered = false;
    const bool ahead = handed.pending && !needsRebuild;
    if (ahead) {
        // The scene is lowered while the worker finishes the previous frame.
        lowerFor(target().imageExtent());
    }
    try {
        finishHandedFrame();
    } catch (...) {
        // Its triangles were taken back, this frame's advance with them.
        lowered = false;
        throw;
    }
    if (window != nullptr) {
        window->throwIfGone();
    }
    FrameData& frame = frames.current();
    if (frame.inFlight == VK_NULL_HANDLE || frame.imageAvailable == VK_NULL_HANDLE) {
        // Renewing it after a failed submit failed too.
        waitIdle();
        frames.renew(frame);
    }
    // The frame is lowered while the previous frame is still being presented; its uploads
    // need the slot, not the image.
    frames.waitFor(frame);
    if (repeatsShownFrame()) {
        return;
    }
    bool prepared = false;
    if (!needsRebuild) {
        prepareFrame();
        prepared = true;
    }

    uint32_t imageIndex = 0;
    if (window != nullptr) {
        // The previous frame's present ends here; a window that changed size since gets a new
        // swap chain before this frame is drawn.
        const VkResult presented =
            heldPresent != VK_SUCCESS ? std::exchange(heldPresent, VK_SUCCESS) : queue.takePresentResult();
        if (needsRebuild || presented == VK_ERROR_OUT_OF_DATE_KHR || presented == VK_SUBOPTIMAL_KHR ||
            window->isResized()) {
            window->clearResized();
            rebuildTarget();
            prepared = false;
        } else if (presented != VK_SUCCESS) {
            throw vkError("failed to present swap chain image!", presented);
        }
        const VkResult acquired = swapChain->acquireNextImage(queue, frame.inFlight, frame.imageAvailable, &imageIndex);
        if (acquired == VK_ERROR_OUT_OF_DATE_KHR) {
            rebuildTarget();
            return;
        }
        if (acquired != VK_SUCCESS && acquired != VK_SUBOPTIMAL_KHR) {
            throw vkError("failed to acquire swap chain image!", acquired);
        }
    } else if (needsRebuild) {
        rebuildTarget();
    }
    try {
        if (!prepared) {
            prepareFrame();
        }
    } catch (...) {
        recoverAbandonedFrame();
        throw;
    }
    handOver(frame, imageIndex);
}

void FrameLoop::handOver(FrameData& frame, uint32_t imageIndex) {
    const size_t slot = frames.currentIndex();
    handed = Handed{true, slot, lastExtent, atlas.generation()};
    lastExtent = target().imageExtent();
    std::swap(handedList, drawList);
    lowered = false;
    if (window != nullptr) {
        window->clearRedraw();
    }
    auto finish = [this, &frame, slot, imageIndex] {
        renderer.prepare(slot, handedList);
        atlas.stage(slot);
        recordFrame(frame, imageIndex);
        const VkResult submitted = submitFrame(frame, imageIndex);
        if (submitted != VK_SUCCESS) {
            throw vkError("failed to submit draw command buffer!", submitted);
        }
    };
    if (handedList.size() >= handOverFrom) {
        try {
            worker.start(finish);
            return;
        } catch (const std::system_error&) {
            // No thread for it: finished here.
        }
    }
    std::exception_ptr failure;
    try {
        finish();
    } catch (...) {
        failure = std::current_exception();
    }
    handed.pending = false;
    takeOutcome(failure);
    finishHandedFrame();
}

void FrameLoop::settleHandedFrame() noexcept {
    if (handed.pending) {
        handed.pending = false;
        takeOutcome(worker.wait());
    }
}

void FrameLoop::takeOutcome(std::exception_ptr failure) noexcept {
    if (failure) {
        // Not drawn after all: the scene and the frame loop are as if it had not been tried.
        lastExtent = handed.previousExtent;
        recoverAbandonedFrame();
        heldFailure = failure;
        return;
    }
    atlas.uploaded();
    std::swap(shown, handedList);
    readableSlot = handed.slot;
    frames.advance();
    shownAtlas = handed.atlasGeneration;
}

void FrameLoop::finishHandedFrame() {
    settleHandedFrame();
    if (heldFailure) {
        std::rethrow_exception(std::exchange(heldFailure, nullptr));
    }
}

bool FrameLoop::repeatsShownFrame() {
    if (readableSlot == kNoSlot || needsRebuild || atlas.hasQueuedUploads() || atlas.generation() != shownAtlas) {
        return false;
    }
    if (window != nullptr) {
        if (window->isResized() || window->needsRedraw()) {
            return false;
        }
        // A present that failed must be dealt with by a frame that is drawn.
        const VkResult presented = queue.takePresentResult();
        if (presented != VK_SUCCESS) {
            heldPresent = presented;
            return false;
        }
    }
    const VkExtent2D extent = target().imageExtent();
    if (!lowered || drawList.width != extent.width || drawList.height != extent.height) {
        lowerFor(extent);
    }
    return drawList.sameAs(shown);
}

void FrameLoop::lowerFor(VkExtent2D extent) {
    lowerScene(scene, extent.width, extent.height, drawList);
    if (afterLowering) {
        afterLowering(drawList);
    }
    lowered = true;
}

void FrameLoop::prepareFrame() {
    // The renderer's record of the frame in this slot is about to be replaced.
    if (readableSlot == frames.currentIndex()) {
        readableSlot = kNoSlot;
    }
    const VkExtent2D extent = target().imageExtent();
    // Lowered already when the frame was compared with the last one, unless the target changed since.
    if (!lowered || drawList.width != extent.width || drawList.height != extent.height) {
        lowerFor(extent);
    }
}

void FrameLoop::recordFrame(FrameData& frame, uint32_t imageIndex) {
    VkCommandBufferBeginInfo beginInfo{};
    beginInfo.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
    beginInfo.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    vkCheck(vkBeginCommandBuffer(frame.commandBuffer, &beginInfo), "failed to begin recording command buffer!");
    atlas.recordUploads(frame.commandBuffer, frames.currentIndex());
    renderer.record(frame.commandBuffer, frames.currentIndex(), target(), imageIndex);
    vkCheck(vkEndCommandBuffer(frame.commandBuffer), "failed to record command buffer!");
}

VkResult FrameLoop::submitFrame(FrameData& frame, uint32_t imageIndex) {
    if (window != nullptr) {
        return swapChain->submitCommandBuffers(queue, frame.commandBuffer, frame.inFlight, frame.imageAvailable,
                                               renderer.imageWaitStage(), imageIndex);
    }
    const VkCommandBuffer commandBuffer = frame.commandBuffer;
    const VkFence fence = frame.inFlight;
    VkSubmitInfo submitInfo{};
    submitInfo.sType = VK_STRUCTURE_TYPE_SUBMIT_INFO;
    submitInfo.commandBufferCount = 1;
    submitInfo.pCommandBuffers = &commandBuffer;
    vkCheck(vkResetFences(device.getDevice(), 1, &fence), "failed to reset a frame's fence!");
    return queue.submit(submitInfo, frame.inFlight);
}

void FrameLoop::recoverAbandonedFrame() noexcept {
    // Only a new swap chain gives the acquired image back.
    needsRebuild = window != nullptr;
    waitIdle();
    try {
        frames.renew(frames.current());
    } catch (...) {
        // Left without a fence: the next frame tries again.
    }
}

std::vector<uint8_t> FrameLoop::readPixels(uint32_t& w, uint32_t& h) {
    finishHandedFrame();
    if (readableSlot == kNoSlot || (!swapChain && !offscreen)) {
        throw std::runtime_error("no frame to read: none was drawn since the window was opened or resized "
                                 "(call qel.poll() first)");
    }
    const VkResult idle = waitIdle();
    if (idle != VK_SUCCESS) {
        throw vkError("failed to wait for the last frame to finish", idle);
    }
    const VkExtent2D extent = target().imageExtent();
    w = extent.width;
    h = extent.height;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    renderer.readFrame(readableSlot, target(), queue, rgba.data());
    return rgba;
}

}  // namespace orv
