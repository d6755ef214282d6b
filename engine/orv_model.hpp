#pragma once
// A drawable: the host vertex list and its copy in GPU-visible memory.

#include <vulkan/vulkan.h>

#include <array>
#include <cstdint>
#include <vector>

#include "engine/point2d.hpp"
#include "engine/vertex.hpp"
#include "engine/vertex_arena.hpp"
#include "vulkan/orv_device.hpp"
#include "vulkan/orv_swap_chain.hpp"

namespace orv {

class OrvModel {
public:
    OrvModel(OrvDevice& device, VertexArena& arena, const std::vector<Vertex>& list);
    virtual ~OrvModel() = default;

    OrvModel(const OrvModel&) = delete;
    OrvModel& operator=(const OrvModel&) = delete;

    // Repositions the model; plain models (triangles) stay where they are.
    virtual void moveTo(double x, double y);
    // Hit test in window pixels; plain models answer false and print nothing.
    virtual bool isInside(const Point2D& point) const;

    static std::array<VkVertexInputBindingDescription, 1> vertexBindings();
    static std::array<VkVertexInputAttributeDescription, 2> vertexAttributes();

    const std::vector<Vertex>& getVertices() const { return vertices; }
    uint32_t getVertexCount() const { return vertexCount; }

    // Records the bind and draw for a frame slot, first copying moved vertices into
    // that slot's copy: the other slot's copy may still be read by a frame in flight.
    void draw(VkCommandBuffer commandBuffer, size_t frameSlot);

protected:
    OrvModel(OrvDevice& device, VertexArena& arena);

    void uploadVertices(const std::vector<Vertex>& list);
    void refreshVertices(const std::vector<Vertex>& list);

    std::vector<Vertex> vertices;

private:
    static constexpr size_t kSlots = OrvSwapChain::MAX_FRAMES_IN_FLIGHT;
    static constexpr unsigned kAllSlotsStale = (1u << kSlots) - 1u;

    OrvDevice& device;
    VertexArena& arena;
    VertexArena::Slice vertexSlice;
    uint32_t vertexCount = 0;
    unsigned staleSlots = 0;
};

}  // namespace orv
