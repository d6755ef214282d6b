#include "engine/orv_model.hpp"

#include <algorithm>
#include <stdexcept>

namespace orv {

OrvModel::OrvModel(OrvDevice& d, VertexArena& a) : device{d}, arena{a} {}

OrvModel::OrvModel(OrvDevice& d, VertexArena& a, const std::vector<Vertex>& list)
    : device{d}, arena{a} {
    uploadVertices(list);
}

void OrvModel::moveTo(double, double) {}

bool OrvModel::isInside(const Point2D&) const {
    return false;
}

std::array<VkVertexInputBindingDescription, 1> OrvModel::vertexBindings() {
    return {VkVertexInputBindingDescription{0, sizeof(Vertex), VK_VERTEX_INPUT_RATE_VERTEX}};
}

std::array<VkVertexInputAttributeDescription, 2> OrvModel::vertexAttributes() {
    return {VkVertexInputAttributeDescription{0, 0, VK_FORMAT_R32G32_SFLOAT, offsetof(Vertex, position)},
            VkVertexInputAttributeDescription{1, 0, VK_FORMAT_R32G32B32_SFLOAT, offsetof(Vertex, color)}};
}

void OrvModel::uploadVertices(const std::vector<Vertex>& list) {
    if (&list != &vertices) {
        vertices = list;
    }
    vertexCount = static_cast<uint32_t>(list.size());
    slice = arena.allocate(vertexCount);
    // The copies are written before the first frame that draws the model.
    staleRegions = kAllRegions;
}

void OrvModel::refreshVertices(const std::vector<Vertex>& list) {
    // The slice was sized at upload; every caller keeps the vertex count.
    if (list.size() != vertexCount) {
        throw std::logic_error("refreshVertices: vertex count changed");
    }
    if (&list != &vertices) {
        vertices = list;
    }
    staleRegions = kAllRegions;
}

void OrvModel::encodeVertices(Vertex* out, const Color&) const {
    std::copy(vertices.begin(), vertices.end(), out);
}

void OrvModel::prepare(size_t region, const Color& color) {
    const unsigned bit = 1u << region;
    if ((staleRegions & bit) != 0 || regionColors[region] != color) {
        encodeVertices(arena.vertices(slice, region), color);
        regionColors[region] = color;
        staleRegions &= ~bit;
    }
}

void OrvModel::draw(VkCommandBuffer commandBuffer, size_t region) const {
    const VkBuffer buffer = arena.buffer(slice.block);
    const VkDeviceSize offset = VertexArena::regionOffset(region);
    vkCmdBindVertexBuffers(commandBuffer, 0, 1, &buffer, &offset);
    vkCmdDraw(commandBuffer, vertexCount, 1, slice.firstVertex, 0);
}

}  // namespace orv
