#include "engine/lowering.hpp"

#include "engine/camera_transform.hpp"

namespace orv {

void lowerScene(Scene& scene, uint32_t width, uint32_t height, DrawList& out) {
    out.begin(width, height, scene.background | 0xFF000000u);
    // The default camera leaves the list as it was, bit for bit.
    const bool moved = !scene.view.camera.isDefault();
    const CameraTransform camera = transformOf(scene.view.camera);
    for (uint32_t slot : scene.drawOrder()) {
        const size_t first = out.size();
        const GameObject& object = scene.at(slot);
        lowerObject(object, false, out);
        if (moved && !scene.view.isFixed(object.layer)) {
            applyCamera(camera, out, first);
        }
    }
}

}  // namespace orv
