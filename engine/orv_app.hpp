#pragma once
// The engine: window, device, swap chain, pipeline, command buffers and the scene.

#include <vulkan/vulkan.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/draw_runs.hpp"
#include "engine/game_object.hpp"
#include "engine/orv_window.hpp"
#include "engine/vertex_arena.hpp"
#include "vulkan/frame_ring.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_queue.hpp"
#include "vulkan/orv_pipeline.hpp"
#include "vulkan/orv_swap_chain.hpp"

namespace orv {

class OrvApp {
public:
    explicit OrvApp(std::string dataDirectory);
    ~OrvApp();

    OrvApp(const OrvApp&) = delete;
    OrvApp& operator=(const OrvApp&) = delete;

    // What the callback of `run` tells the loop after each frame.
    enum class Loop { Continue, Stop, Abandon };
    // Draws until the window is asked to close. `afterFrame` runs after every frame: Stop
    // ends the loop normally, Abandon ends it at once without touching the engine again (the
    // callback closed the window or replaced the engine), and whatever it throws ends it too.
    VkResult run(const std::function<Loop()>& afterFrame = {});
    void drawFrame();

    void loadGameObjects();
    uint32_t createTri();
    uint32_t createRectangle(double x, double y, double sizeX, double sizeY, int32_t rgb);
    uint32_t createCircle(double x, double y, double radius, int32_t rgb);

    // Scene operations by identifier; unknown identifiers change nothing.
    void moveTo(uint32_t id, double x, double y);
    void updateColor(uint32_t id, int32_t rgb);
    bool isInside(uint32_t id, const Point2D& point) const;

    // Destroys the window ahead of the engine; the scene stays usable.
    void closeWindow();

    OrvWindow& getWindow() { return window; }
    const std::vector<GameObject>& getGameObjects() const { return gameObjects; }
    size_t vertexAllocationCount() const { return vertexArena.allocationCount(); }
    // Waits for the present in flight and then for the device.
    VkResult waitIdle() noexcept;

    double frameTime = 0.0;

private:
    void createPipelineLayout();
    void rebuildSwapChain();
    void buildPipeline();
    void recordFrame(VkCommandBuffer commandBuffer, uint32_t imageIndex);
    // A frame abandoned between its acquire and a successful submit leaves an image that is
    // never presented and a semaphore that is never waited on.
    void recoverAbandonedFrame() noexcept;
    void drawObjects(VkCommandBuffer commandBuffer);
    uint32_t addGameObject(std::shared_ptr<OrvModel> model, std::array<float, 3> color);
    void release() noexcept;

    int width;
    int height;
    std::vector<GameObject> gameObjects;
    std::string dataDirectory;
    OrvWindow window;
    OrvDevice device;
    OrvQueue queue;
    FrameRing frames;
    VertexArena vertexArena;
    std::unique_ptr<OrvSwapChain> swapChain;
    std::unique_ptr<OrvPipeline> pipeline;
    VkPipelineLayout pipelineLayout = VK_NULL_HANDLE;
    // Set while the swap chain must be replaced before the next frame: a rebuild failed, or a
    // frame was abandoned with an image acquired.
    bool needsRebuild = false;
    // Scratch for drawObjects, kept so frames allocate nothing.
    std::vector<Segment> runSegments;
    std::vector<RunDraw> runDraws;
};

}  // namespace orv
