// scene/scene_models.cpp -- the scene's work on its models: start-up loading and lights bound to joints; no GL.
#include "scene/scene.h"

#include "base/debug_log.h"
#include "model/texture_lookup.h"

namespace {
const char* nameOrNone(const std::optional<std::string>& name) { return name ? name->c_str() : nullptr; }

// The model of slot `slot`, or null when that is not a slot holding a model.
const Model* slotModel(const Scene& scene, int slot) {
    if (slot < 0 || slot >= scene.nummodels || slot >= static_cast<int>(scene.models.size())) return nullptr;
    return scene.models[static_cast<size_t>(slot)].get();
}

void followJoint(Light& light, const float m[16]) {
    const float x = light.posoffset[0], y = light.posoffset[1], z = light.posoffset[2];
    for (int r = 0; r < 3; ++r) light.lightpos[r] = m[r] * x + m[4 + r] * y + m[8 + r] * z + m[12 + r];
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) light.orientation[3 * c + r] = m[4 * c + r];
}
} // namespace

void loadSceneModels(Scene& scene) {
    for (int i = 0; i < scene.nummodels && i < static_cast<int>(scene.models.size()); ++i) {
        const size_t s = static_cast<size_t>(i);
        scene.models[s] = std::make_unique<Model>(nameOrNone(scene.modelname[s]), nameOrNone(scene.modelanim[s]));
        applyMeshTextures(scene, i);
        updateModelPlacement(scene, i);
    }
}

void applyMeshTextures(Scene& scene, int slot) {
    if (slot < 0 || slot >= static_cast<int>(scene.models.size()) || !scene.models[static_cast<size_t>(slot)]) return;
    Model& model = *scene.models[static_cast<size_t>(slot)];
    for (const MeshTexture& texture : scene.meshTextures) {
        if (texture.slot != slot) continue;
        std::string why;
        if (setMeshTexture(model, texture.mesh, texture.kind, texture.file, why)) continue;
        LoadProblem problem;
        problem.kind = ProblemKind::TextureNotFound;
        problem.file = texture.file;
        problem.mesh = texture.mesh;
        problem.message = std::string("meshtexture ") + textureKindName(texture.kind) + " of mesh " +
                          std::to_string(texture.mesh) + " not set: " + why;
        logText(problem.message + "\n");
        addProblem(model.problems, std::move(problem));
    }
}

void updateBoundLights(Scene& scene) {
    for (int i = 0; i < scene.numlights && i < static_cast<int>(scene.lights.size()); ++i) {
        Light& light = scene.lights[static_cast<size_t>(i)];
        if (!light.boneName) continue;
        const Model* model = slotModel(scene, light.boneModel);
        if (!model) continue;
        // A joint the model lacks leaves this light where it was; later lights still follow theirs.
        const int joint = model->findJoint(light.boneName->c_str());
        if (joint < 0) continue;
        float m[16];
        model->getJointMatrix(joint, m);
        followJoint(light, m);
    }
}
