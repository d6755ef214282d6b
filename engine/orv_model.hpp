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

namespace orv {

using Color = std::array<float, 3>;

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

    // Models drawn in window pixels with their colour in their vertices, so runs of them
    // share one draw; plain models (the triangles) draw alone with their push constants.
    virtual bool drawsInBatch() const { return false; }
    // Drawn as a square of which only the inscribed disc is kept.
    virtual bool cutsDisc() const { return false; }

    static std::array<VkVertexInputBindingDescription, 1> vertexBindings();
    static std::array<VkVertexInputAttributeDescription, 2> vertexAttributes();

    const std::vector<Vertex>& getVertices() const { return vertices; }
    uint32_t getVertexCount() const { return vertexCount; }
    const VertexArena::Slice& getSlice() const { return slice; }

    // Brings the copy that frame region `region` reads up to date with the vertices and
    // `color`. Only that region is written: the other may still be read by a frame in flight.
    void prepare(size_t region, const Color& color);

    // Records a draw of this model alone.
    void draw(VkCommandBuffer commandBuffer, size_t region) const;

protected:
    OrvModel(OrvDevice& device, VertexArena& arena);

    void uploadVertices(const std::vector<Vertex>& list);
    void refreshVertices(const std::vector<Vertex>& list);

    // What the GPU copy holds: by default the vertices as they are.
    virtual void encodeVertices(Vertex* out, const Color& color) const;

    std::vector<Vertex> vertices;

private:
    static constexpr unsigned kAllRegions = (1u << VertexArena::kRegions) - 1u;

    OrvDevice& device;
    VertexArena& arena;
    VertexArena::Slice slice;
    uint32_t vertexCount = 0;
    unsigned staleRegions = kAllRegions;
    std::array<Color, VertexArena::kRegions> regionColors{};
};

}  // namespace orv
