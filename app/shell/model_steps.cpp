// app/shell/model_steps.cpp -- the per-model steps of the frame and the camera animation.
#include "app/shell/shell.h"
#include "scene/scene.h"

void animateModels(Scene&) {}

void skinModels(Scene& scene) {
    for (auto& slot : scene.models) {
        if (!slot) continue;
        slot->setSpecular(scene.specular != 0);
    }
}

void updateCameraPose(Shell&, Scene&) {}

void loadCameraAnimationAtStartup(Scene& scene) {
    if (scene.camanim) {
        float placement[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, scene.campos[0], scene.campos[1], scene.campos[2], 1};
        scene.cameraModel.setPlacement(placement);
        scene.camAnimLoaded = true;
    }
    scene.cameraJoint = scene.camjointname ? scene.cameraModel.findJoint(scene.camjointname->c_str()) : -1;
}
