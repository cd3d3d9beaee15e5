// app/shell/view.cpp -- drawing one view: ambient pass, per light shadows and lighting,
// then the overlays of the render mode and the skeletons.
#include <GL/gl.h>

#include "render/logic/capability_probe.h"
#include "app/shell/shell.h"
#include "render/frame_passes.h"
#include "scene/scene.h"

namespace {

// Calls `draw` for every slot that holds a model, under the model's placement.
template <typename Draw>
void forEachPlacedModel(Scene& scene, Draw draw) {
    for (auto& slot : scene.models) {
        if (!slot) continue;
        glPushMatrix();
        render::applyPlacement(*slot);
        draw(*slot);
        glPopMatrix();
    }
}

void drawLitScene(Scene& scene, const GlCapabilities& caps) {
    forEachPlacedModel(scene, [&](Model& m) { render::drawAmbientPass(m, scene.globalAmbient, caps); });
    for (const Light& original : scene.lights) {
        const Light light = original; // the passes work on a copy
        glClearStencil(0);
        glClear(GL_STENCIL_BUFFER_BIT);
        forEachPlacedModel(scene, [&](Model& m) {
            render::computeLightInModelSpace(m, light);
            if (scene.shadowMode > 0) {
                render::markAllSilhouettes(m);
                render::drawShadowVolumes(m, caps, scene.shadowMode == 2);
            }
            if (scene.shadowMode == 2) render::drawSilhouetteEdges(m);
        });
        forEachPlacedModel(scene, [&](Model& m) { render::drawLightPass(m, light, scene.shadowMode != 0, caps); });
    }
}

void drawOverlays(Scene& scene, const GlCapabilities& caps) {
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    forEachPlacedModel(scene, [&](Model& m) {
        if (scene.renderMode == 2) {
            render::drawSeamPoints(m);
            render::drawMeshAnalyzer(m, caps);
            render::drawOpenEdges(m);
        }
        if (scene.renderMode == 1) render::drawWireframeOverlay(m, caps);
        if (scene.showSkeleton) render::drawSkeleton(m);
    });
    if (scene.camanim && scene.showSkeleton) {
        glPushMatrix();
        render::applyPlacement(scene.cameraModel);
        render::drawSkeleton(scene.cameraModel);
        render::drawCameraJoints(scene.cameraModel);
        glPopMatrix();
    }
}

} // namespace

void drawView(Shell&, Scene& scene) {
    const GlCapabilities& caps = glCapabilities();
    if (scene.renderMode == 0 || scene.renderMode == 1) drawLitScene(scene, caps);
    drawOverlays(scene, caps);
}
