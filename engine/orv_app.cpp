#include "engine/orv_app.hpp"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "bindings/color.hpp"
#include "bindings/module_state.hpp"
#include "engine/push_constants.hpp"
#include "engine/shape_geometry.hpp"
#include "engine/shape_models.hpp"
#include "engine/window_system_guard.hpp"
#include "vulkan/vk_check.hpp"

namespace orv {

uint32_t nextObjectId = 0;

OrvApp::OrvApp(std::string directory)
    : width{qel::truncateSize(qel::windowWidth)},
      height{qel::truncateSize(qel::windowHeight)},
      dataDirectory{std::move(directory)},
      window{width, height, "Qel Demo"},
      device{window},
      queue{device.getDevice(), device.getGraphicsQueue(), device.getPresentQueue()},
      frames{device},
      vertexArena{device} {
    try {
        createPipelineLayout();
        rebuildSwapChain();
    } catch (...) {
        release();
        throw;
    }
}

OrvApp::~OrvApp() {
    release();
}

void OrvApp::release() noexcept {
    waitIdle();
    if (pipelineLayout != VK_NULL_HANDLE) {
        vkDestroyPipelineLayout(device.getDevice(), pipelineLayout, nullptr);
        pipelineLayout = VK_NULL_HANDLE;
    }
    pipeline.reset();
    swapChain.reset();
    // Models hand their memory back before the arena and the device go.
    gameObjects.clear();
}

void OrvApp::createPipelineLayout() {
    VkPushConstantRange range{};
    range.stageFlags = VK_SHADER_STAGE_VERTEX_BIT | VK_SHADER_STAGE_FRAGMENT_BIT;
    range.offset = 0;
    range.size = sizeof(PushConstantData);

    VkPipelineLayoutCreateInfo info{};
    info.sType = VK_STRUCTURE_TYPE_PIPELINE_LAYOUT_CREATE_INFO;
    info.setLayoutCount = 0;
    info.pushConstantRangeCount = 1;
    info.pPushConstantRanges = &range;
    const VkResult result = vkCreatePipelineLayout(device.getDevice(), &info, nullptr, &pipelineLayout);
    if (result != VK_SUCCESS) {
        pipelineLayout = VK_NULL_HANDLE;
        throw vkError("failed to create pipeline layout!", result);
    }
}

void OrvApp::rebuildSwapChain() {
    VkExtent2D extent = window.extent();
    while (extent.width == 0 || extent.height == 0) {
        extent = window.extent();
        window.waitEvents();
    }
    waitIdle();

    // Stays set if anything below fails, so the next frame tries again; the current swap
    // chain is replaced only by a complete new one.
    needsRebuild = true;
    auto next = std::make_unique<OrvSwapChain>(device, window, swapChain.get());
    swapChain = std::move(next);
    needsRebuild = false;
    buildPipeline();
}

void OrvApp::buildPipeline() {
    PipelineConfig config;
    defaultPipelineConfig(config);
    config.pipelineLayout = pipelineLayout;
    config.renderPass = swapChain->getRenderPass();
    config.subpass = 0;
    // Replace only after the new pipeline is complete, so a failed build keeps the old one.
    auto built = std::make_unique<OrvPipeline>(device, dataDirectory, "tri-vert.spv", "tri-frag.spv", config);
    pipeline = std::move(built);
}

VkResult OrvApp::run(const std::function<Loop()>& afterFrame) {
    try {
        while (!window.shouldClose()) {
            window.pollEvents();
            drawFrame();
            const Loop next = afterFrame ? afterFrame() : Loop::Continue;
            if (next == Loop::Abandon) {
                return VK_SUCCESS;
            }
            if (next == Loop::Stop) {
                break;
            }
        }
    } catch (...) {
        waitIdle();
        throw;
    }
    // A window destroyed by another program reads as closed; a lost display is an error.
    if (windowSystemLost()) {
        waitIdle();
        window.throwIfGone();
    }
    return waitIdle();
}

VkResult OrvApp::waitIdle() noexcept {
    return queue.waitIdle();
}

void OrvApp::drawFrame() {
    window.throwIfGone();
    // The previous frame's present ends here; a window that changed size since gets a new
    // swap chain before this frame is drawn.
    const VkResult presented = queue.takePresentResult();
    if (needsRebuild || presented == VK_ERROR_OUT_OF_DATE_KHR || presented == VK_SUBOPTIMAL_KHR ||
        window.isResized()) {
        window.clearResized();
        rebuildSwapChain();
    } else if (presented != VK_SUCCESS) {
        throw vkError("failed to present swap chain image!", presented);
    }

    FrameData& frame = frames.current();
    if (frame.inFlight == VK_NULL_HANDLE || frame.imageAvailable == VK_NULL_HANDLE) {
        // Renewing it after a failed submit failed too.
        waitIdle();
        frames.renew(frame);
    }
    uint32_t imageIndex = 0;
    const VkResult acquired = swapChain->acquireNextImage(queue, frames, &imageIndex);
    if (acquired == VK_ERROR_OUT_OF_DATE_KHR) {
        rebuildSwapChain();
        return;
    }
    if (acquired != VK_SUCCESS && acquired != VK_SUBOPTIMAL_KHR) {
        throw vkError("failed to acquire swap chain image!", acquired);
    }
    VkResult submitted = VK_SUCCESS;
    try {
        recordFrame(frame.commandBuffer, imageIndex);
        submitted = swapChain->submitCommandBuffers(queue, frames, imageIndex);
    } catch (...) {
        recoverAbandonedFrame();
        throw;
    }
    if (submitted != VK_SUCCESS) {
        recoverAbandonedFrame();
        throw vkError("failed to submit draw command buffer!", submitted);
    }
    frames.advance();
}

void OrvApp::recoverAbandonedFrame() noexcept {
    // Only a new swap chain gives the acquired image back.
    needsRebuild = true;
    waitIdle();
    try {
        frames.renew(frames.current());
    } catch (...) {
        // Left without a fence: the next frame tries again.
    }
}

void OrvApp::recordFrame(VkCommandBuffer commandBuffer, uint32_t imageIndex) {
    VkCommandBufferBeginInfo beginInfo{};
    beginInfo.sType = VK_STRUCTURE_TYPE_COMMAND_BUFFER_BEGIN_INFO;
    beginInfo.flags = VK_COMMAND_BUFFER_USAGE_ONE_TIME_SUBMIT_BIT;
    vkCheck(vkBeginCommandBuffer(commandBuffer, &beginInfo), "failed to begin recording command buffer!");

    const VkExtent2D extent = swapChain->getSwapChainExtent();
    VkClearValue clears[1]{};
    clears[0].color = {{0.01f, 0.01f, 0.01f, 1.0f}};
    VkRenderPassBeginInfo passInfo{};
    passInfo.sType = VK_STRUCTURE_TYPE_RENDER_PASS_BEGIN_INFO;
    passInfo.renderPass = swapChain->getRenderPass();
    passInfo.framebuffer = swapChain->getFrameBuffer(imageIndex);
    passInfo.renderArea.offset = {0, 0};
    passInfo.renderArea.extent = extent;
    passInfo.clearValueCount = 1;
    passInfo.pClearValues = clears;
    vkCmdBeginRenderPass(commandBuffer, &passInfo, VK_SUBPASS_CONTENTS_INLINE);

    VkViewport viewport{};
    viewport.x = 0.0f;
    viewport.y = 0.0f;
    viewport.width = static_cast<float>(extent.width);
    viewport.height = static_cast<float>(extent.height);
    viewport.minDepth = 0.0f;
    viewport.maxDepth = 1.0f;
    qel::windowWidth = viewport.width;
    qel::windowHeight = viewport.height;
    VkRect2D scissor{{0, 0}, extent};
    vkCmdSetViewport(commandBuffer, 0, 1, &viewport);
    vkCmdSetScissor(commandBuffer, 0, 1, &scissor);

    drawObjects(commandBuffer);

    vkCmdEndRenderPass(commandBuffer);
    vkCheck(vkEndCommandBuffer(commandBuffer), "failed to record command buffer!");
}

void OrvApp::drawObjects(VkCommandBuffer commandBuffer) {
    const VkExtent2D extent = swapChain->getSwapChainExtent();
    const size_t region = frames.currentIndex();
    constexpr VkShaderStageFlags kStages = VK_SHADER_STAGE_VERTEX_BIT | VK_SHADER_STAGE_FRAGMENT_BIT;
    using Fill = OrvPipeline::Fill;

    // Objects are drawn from the last created to the first, so the first created ends up
    // on top. Rectangles and circles carry everything they need in their vertices; only
    // the frame size travels in the push constants, so a stretch of them that is
    // contiguous in vertex memory (later models sit below earlier ones) is drawn with a
    // few calls: primitives of one draw rasterise in order.
    PushConstantData framePush{};
    framePush.screenWidth = static_cast<float>(extent.width);
    framePush.screenHeight = static_cast<float>(extent.height);
    bool framePushed = false;
    uint32_t runBlock = 0;
    uint32_t boundBlock = UINT32_MAX;
    bool pipelineBound = false;
    Fill boundFill = Fill::Whole;
    runSegments.clear();

    auto usePipeline = [&](Fill fill) {
        if (!pipelineBound || boundFill != fill) {
            pipeline->bind(commandBuffer, fill);
            pipelineBound = true;
            boundFill = fill;
        }
    };

    auto flushRun = [&] {
        if (runSegments.empty()) {
            return;
        }
        runDraws.clear();
        planRunDraws(runSegments, kMinSegmentModels, kMaxDrawVertices, runDraws);
        runSegments.clear();
        if (!framePushed) {
            vkCmdPushConstants(commandBuffer, pipelineLayout, kStages, 0, sizeof(PushConstantData), &framePush);
            framePushed = true;
        }
        if (boundBlock != runBlock) {
            const VkBuffer buffer = vertexArena.buffer(runBlock);
            const VkDeviceSize offset = VertexArena::regionOffset(region);
            vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
            boundBlock = runBlock;
        }
        for (const RunDraw& draw : runDraws) {
            usePipeline(draw.disc ? Fill::Disc : Fill::Whole);
            vkCmdDraw(commandBuffer, draw.count, 1, draw.first, 0);
        }
    };

    for (auto it = gameObjects.rbegin(); it != gameObjects.rend(); ++it) {
        GameObject& object = *it;
        object.rotation = advanceRotation(object.rotation);
        OrvModel& model = *object.model;
        model.prepare(region, object.color);
        const VertexArena::Slice& slice = model.getSlice();
        if (model.drawsInBatch()) {
            const bool disc = model.cutsDisc();
            const bool contiguous = !runSegments.empty() && slice.block == runBlock &&
                                    slice.firstVertex == runSegments.back().first + runSegments.back().count;
            if (!contiguous) {
                flushRun();
                runBlock = slice.block;
            }
            if (contiguous && runSegments.back().disc == disc) {
                runSegments.back().count += model.getVertexCount();
                runSegments.back().models += 1;
            } else {
                runSegments.push_back(Segment{disc, slice.firstVertex, model.getVertexCount(), 1});
            }
            continue;
        }
        flushRun();
        usePipeline(Fill::Whole);
        const PushConstantData push = makePushConstants(object, extent);
        vkCmdPushConstants(commandBuffer, pipelineLayout, kStages, 0, sizeof(PushConstantData), &push);
        framePushed = false;
        model.draw(commandBuffer, region);
        boundBlock = slice.block;
    }
    flushRun();
}

uint32_t OrvApp::addGameObject(std::shared_ptr<OrvModel> model, std::array<float, 3> color) {
    GameObject object;
    object.model = std::move(model);
    object.color = color;
    object.id = nextObjectId;
    gameObjects.push_back(std::move(object));
    // Taken only once the entry is in, so a failed creation uses up no identifier.
    return nextObjectId++;
}

void OrvApp::loadGameObjects() {
    addGameObject(std::make_shared<OrvModel>(device, vertexArena, demoTriangleVertices()), {0.1f, 0.8f, 0.1f});
}

uint32_t OrvApp::createTri() {
    return addGameObject(std::make_shared<OrvModel>(device, vertexArena, fullTriangleVertices()),
                         {0.9f, 0.8f, 0.1f});
}

uint32_t OrvApp::createRectangle(double x, double y, double sizeX, double sizeY, int32_t rgb) {
    const std::array<float, 3> color = unpackColor(rgb);
    return addGameObject(std::make_shared<Rectangle>(x, y, sizeX, sizeY, device, vertexArena), color);
}

uint32_t OrvApp::createCircle(double x, double y, double radius, int32_t rgb) {
    const std::array<float, 3> color = unpackColor(rgb);
    return addGameObject(std::make_shared<Circle>(x, y, radius, device, vertexArena), color);
}

// Identifiers grow in creation order, one by one, and entries are never removed, so an
// identifier is normally its entry's distance from the first one; the binary search
// covers anything else.
template <typename Objects>
static auto findById(Objects& objects, uint32_t id) -> decltype(&objects[0]) {
    if (objects.empty()) {
        return nullptr;
    }
    const uint32_t index = id - objects.front().id;
    if (index < objects.size() && objects[index].id == id) {
        return &objects[index];
    }
    auto it = std::lower_bound(objects.begin(), objects.end(), id,
                               [](const GameObject& object, uint32_t wanted) { return object.id < wanted; });
    return (it != objects.end() && it->id == id) ? &*it : nullptr;
}

void OrvApp::moveTo(uint32_t id, double x, double y) {
    if (GameObject* object = findById(gameObjects, id)) {
        object->model->moveTo(x, y);
    }
}

void OrvApp::updateColor(uint32_t id, int32_t rgb) {
    if (GameObject* object = findById(gameObjects, id)) {
        object->color = unpackColor(rgb);
    }
}

bool OrvApp::isInside(uint32_t id, const Point2D& point) const {
    const GameObject* object = findById(gameObjects, id);
    return object != nullptr && object->model->isInside(point);
}

void OrvApp::closeWindow() {
    if (window.isClosed()) {
        return;
    }
    // The swap chain's images live on the window system's connection, which closing
    // ends; release them first.
    waitIdle();
    pipeline.reset();
    swapChain.reset();
    window.close();
}

}  // namespace orv
