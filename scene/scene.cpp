// scene/scene.cpp -- the process-wide scene and the operations that keep its slot and light arrays in step; no GL.
#include "scene/scene.h"

#include <algorithm>
#include <cmath>

// Never destroyed: nothing is freed at exit, and the models' textures must not be deleted
// after the window has taken the OpenGL context away.
Scene& theScene() {
    static Scene* scene = new Scene;
    return *scene;
}

void initLightDefaults(Light& light) { light = Light{}; }

namespace {
constexpr double kPi = 3.14159265358979323846;

bool isSlot(const Scene& scene, int slot) {
    return slot >= 0 && slot < scene.nummodels && slot < static_cast<int>(scene.models.size());
}
} // namespace

void updateModelPlacement(Scene& scene, int slot) {
    if (!isSlot(scene, slot) || !scene.models[static_cast<size_t>(slot)]) return;
    const size_t s = static_cast<size_t>(slot);
    const double radians = scene.modelangle[s] * (kPi / 180.0);
    const float c = static_cast<float>(std::cos(radians));
    const float n = static_cast<float>(std::sin(radians));
    const Vec3& p = scene.modelpos[s];
    // T(modelpos) * Rz(modelangle), column-major.
    const float m[16] = {c, n, 0, 0, -n, c, 0, 0, 0, 0, 1, 0, p[0], p[1], p[2], 1};
    scene.models[s]->setPlacement(m);
}

void addModelSlot(Scene& scene) {
    scene.models.push_back(std::make_unique<Model>());
    scene.modelname.emplace_back();
    scene.modelanim.emplace_back();
    scene.modelpos.push_back(Vec3{0, 0, 0});
    scene.modelangle.push_back(0.0f);
    scene.nummodels = static_cast<int>(scene.models.size());
    scene.model_in_focus = scene.nummodels - 1;
}

void removeModelSlot(Scene& scene) {
    // A focus outside the slots (the panel or keys may leave it there) removes nothing.
    if (!isSlot(scene, scene.model_in_focus)) return;
    const auto at = static_cast<std::ptrdiff_t>(scene.model_in_focus);
    // Destroying the Model frees its animations and releases everything it owns.
    scene.models.erase(scene.models.begin() + at);
    scene.modelname.erase(scene.modelname.begin() + at);
    scene.modelanim.erase(scene.modelanim.begin() + at);
    scene.modelpos.erase(scene.modelpos.begin() + at);
    scene.modelangle.erase(scene.modelangle.begin() + at);
    forgetMeshTextures(scene, scene.model_in_focus);
    for (MeshTexture& texture : scene.meshTextures)
        if (texture.slot > scene.model_in_focus) --texture.slot;
    scene.nummodels = static_cast<int>(scene.models.size());
    if (scene.models.empty()) scene.models.shrink_to_fit(); // the array is absent again
    if (scene.model_in_focus >= scene.nummodels) scene.model_in_focus = scene.nummodels - 1;
}

void rememberMeshTexture(Scene& scene, MeshTexture texture) {
    for (MeshTexture& kept : scene.meshTextures) {
        if (kept.slot == texture.slot && kept.mesh == texture.mesh && kept.kind == texture.kind) {
            kept.file = std::move(texture.file);
            return;
        }
    }
    scene.meshTextures.push_back(std::move(texture));
}

void forgetMeshTextures(Scene& scene, int slot, int mesh) {
    auto& kept = scene.meshTextures;
    const auto gone = [slot, mesh](const MeshTexture& t) { return t.slot == slot && (mesh == -1 || t.mesh == mesh); };
    kept.erase(std::remove_if(kept.begin(), kept.end(), gone), kept.end());
}

void addLight(Scene& scene) {
    scene.lights.emplace_back(); // every field at its default
    scene.numlights = static_cast<int>(scene.lights.size());
    scene.selectedLight = scene.numlights - 1;
}

void removeLight(Scene& scene) {
    const int at = scene.selectedLight;
    if (at < 0 || at >= scene.numlights || at >= static_cast<int>(scene.lights.size())) return;
    scene.lights.erase(scene.lights.begin() + at);
    scene.numlights = static_cast<int>(scene.lights.size());
    if (scene.selectedLight >= scene.numlights) scene.selectedLight = scene.numlights - 1;
}
