#pragma once
// Drawing one frame after another: the frame slots, the render target (the window's swap
// chain, or an image of our own when there is no window), acquiring, submitting and
// presenting, and getting back on track when any of that fails. Each frame the scene is
// lowered into a draw list for the renderer; a large frame is then finished (binned,
// recorded, submitted) on a worker thread while the script goes on, and the next call that
// needs it (a frame, a read-back, a change of the atlas, the end) waits for it first and
// raises what it met.

#include <vulkan/vulkan.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "engine/frame_worker.hpp"
#include "engine/scene.hpp"
#include "platform/orv_window.hpp"
#include "render/draw_list.hpp"
#include "render/renderer.hpp"
#include "render/texture_atlas.hpp"
#include "vulkan/frame_ring.hpp"
#include "vulkan/offscreen_target.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/orv_swap_chain.hpp"

namespace orv {

class FrameLoop {
public:
    // Draws into the window's swap chain, or, with no window, into an image of `size`.
    // Without `vsync` the swap chain presents as soon as a frame is ready.
    FrameLoop(OrvDevice& device, OrvQueue& queue, OrvWindow* window, VkExtent2D size, Renderer& renderer,
              TextureAtlas& atlas, Scene& scene, bool vsync = true);
    ~FrameLoop();

    FrameLoop(const FrameLoop&) = delete;
    FrameLoop& operator=(const FrameLoop&) = delete;

    void drawFrame();

    // The last frame drawn, as RGBA bytes, rows from the top. Throws when no frame was drawn
    // since the loop started or the target was last replaced.
    std::vector<uint8_t> readPixels(uint32_t& width, uint32_t& height);
    // The size of the latest recorded frame; zero before the first.
    VkExtent2D drawnExtent() const { return lastExtent; }
    // What the last frame drawn drew (a frame in the worker's hands once it is settled).
    const DrawList& lastDrawList() const { return shown; }
    // The window is about to go: the swap chain's images live on its connection.
    void releaseTarget() noexcept;
    // Waits for the present in flight and then for the device.
    VkResult waitIdle() noexcept { return queue.waitIdle(); }
    // Waits for the frame in the worker's hands and takes in how it went; a failure is kept
    // for the next drawFrame or readPixels to raise.
    void settleHandedFrame() noexcept;

private:
    // The unit tests' way in (tests/cpp): the hooks below, which nothing else sets.
    friend struct FrameLoopProbe;

    // Runs on every frame's draw list after the scene is lowered into it: for tests that
    // draw primitives no object lowers to yet.
    std::function<void(DrawList&)> afterLowering;
    // Draw lists of at least this many primitives are binned, recorded and submitted on the
    // worker's thread while the script goes on; smaller ones cost less to finish here.
    size_t handOverFrom = 1000;

    const RenderTarget& target() const;
    void rebuildTarget();
    // Lowers the scene for the frame, unless it was already; the frame's triangles are taken
    // back if that fails.
    void prepareFrame();
    // Hands the lowered frame over: its uploads, commands and submit, on the worker's thread
    // or here.
    void handOver(FrameData& frame, uint32_t imageIndex);
    // What follows a handed frame's end: it is shown, or it is taken back.
    void takeOutcome(std::exception_ptr failure) noexcept;
    // Settles the handed frame and raises a failure kept from it.
    void finishHandedFrame();
    // Whether the frame would draw exactly what the target shows already: then it is neither
    // drawn nor presented again. Lowers the scene for the frame as it decides.
    bool repeatsShownFrame();
    // Lowers the scene into drawList for a frame of that size.
    void lowerFor(VkExtent2D extent);
    void recordFrame(FrameData& frame, uint32_t imageIndex);
    VkResult submitFrame(FrameData& frame, uint32_t imageIndex);
    // A frame abandoned between its acquire and a successful submit leaves an image that is
    // never presented and a semaphore that is never waited on.
    void recoverAbandonedFrame() noexcept;

    OrvDevice& device;
    OrvQueue& queue;
    OrvWindow* window;
    VkExtent2D size;
    bool vsync;
    Renderer& renderer;
    TextureAtlas& atlas;
    Scene& scene;
    FrameRing frames;
    std::unique_ptr<OrvSwapChain> swapChain;
    std::unique_ptr<OffscreenTarget> offscreen;
    // Set while the target must be replaced before the next frame: a rebuild failed, or a
    // frame was abandoned with an image acquired.
    bool needsRebuild = true;
    VkExtent2D lastExtent{0, 0};
    // The slot of the last frame drawn, while its pixels can still be read back.
    static constexpr size_t kNoSlot = SIZE_MAX;
    size_t readableSlot = kNoSlot;
    // The scene lowered for the frame being prepared, for the frame in the worker's hands,
    // and for the last frame submitted; they swap, so frames allocate nothing.
    DrawList drawList;
    DrawList handedList;
    DrawList shown;
    bool lowered = false;
    uint64_t shownAtlas = 0;
    // A present failure seen while deciding to repeat a frame, for the next frame drawn.
    VkResult heldPresent = VK_SUCCESS;
    // The frame handed over and not yet settled: its slot, and what to restore if it fails.
    struct Handed {
        bool pending = false;
        size_t slot = 0;
        VkExtent2D previousExtent{0, 0};
        uint64_t atlasGeneration = 0;
    } handed;
    std::exception_ptr heldFailure;
    // Last, so it is joined before the members its frames use go.
    FrameWorker worker;
};

}  // namespace orv
