// app/shell/model_steps.cpp -- the per-model steps of the frame and the camera animation.
#include "render/logic/capability_probe.h"
#include "app/shell/shell.h"
#include "scene/scene.h"

void animateModels(Scene& scene) {
    for (auto& slot : scene.models)
        if (slot) slot->animate(scene.animTime);
}

void skinModels(Scene& scene) {
    const GlCapabilities& caps = probedCapabilities();
    for (auto& slot : scene.models) {
        if (!slot) continue;
        slot->setSpecular(scene.specular != 0);
        slot->updateAllMeshes(caps);
    }
}

void updateCameraPose(Shell& shell, Scene& scene) {
    if (!scene.camanim) return;
    scene.cameraModel.updateCameraAnimation(scene.animTime);
    scene.cameraModel.getCameraMatrix(scene.cameraJoint, shell.cameraPose);
    shell.cameraPoseValid = true;
}

void loadCameraAnimationAtStartup(Scene& scene) {
    if (scene.camanim) {
        scene.cameraModel.loadCameraAnimation(scene.camanim->c_str());
        float placement[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, scene.campos[0], scene.campos[1], scene.campos[2], 1};
        scene.cameraModel.setPlacement(placement);
        scene.camAnimLoaded = true;
    }
    scene.cameraJoint = scene.camjointname ? scene.cameraModel.findJoint(scene.camjointname->c_str()) : -1;
}
