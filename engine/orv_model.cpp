#include "engine/orv_model.hpp"

#include <cstring>
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
    const VkDeviceSize bytes = sizeof(Vertex) * vertexCount;
    vertexSlice = arena.allocate(bytes * kSlots);
    for (size_t slot = 0; slot < kSlots; ++slot) {
        std::memcpy(vertexSlice.mapped + slot * bytes, vertices.data(), bytes);
    }
    staleSlots = 0;
}

void OrvModel::refreshVertices(const std::vector<Vertex>& list) {
    // The slice was sized at upload; every caller keeps the vertex count.
    if (list.size() != vertexCount) {
        throw std::logic_error("refreshVertices: vertex count changed");
    }
    if (&list != &vertices) {
        vertices = list;
    }
    staleSlots = kAllSlotsStale;
}

void OrvModel::draw(VkCommandBuffer commandBuffer, size_t frameSlot) {
    const VkDeviceSize bytes = sizeof(Vertex) * vertexCount;
    const unsigned bit = 1u << frameSlot;
    if ((staleSlots & bit) != 0) {
        std::memcpy(vertexSlice.mapped + frameSlot * bytes, vertices.data(), bytes);
        staleSlots &= ~bit;
    }
    const VkDeviceSize offset = vertexSlice.offset + frameSlot * bytes;
    vkCmdBindVertexBuffers(commandBuffer, 0, 1, &vertexSlice.buffer, &offset);
    vkCmdDraw(commandBuffer, vertexCount, 1, 0, 0);
}

}  // namespace orv
