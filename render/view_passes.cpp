// render/view_passes.cpp -- drawing one view: ambient pass, per light stencil clear,
// shadows and lighting, then the overlays of the render mode and the skeletons.
#include "render/view_passes.h"

#include <GL/gl.h>

#include "render/frame_passes.h"
#include "scene/scene.h"

namespace render {
namespace {

// Calls `draw` for every slot that holds a model, under the model's placement.
template <typename Draw>
void forEachPlacedModel(Scene& scene, Draw draw) {
    for (auto& slot : scene.models) {
        if (!slot) continue;
        glPushMatrix();
        applyPlacement(*slot);
        draw(*slot);
        glPopMatrix();
    }
}

void drawLitScene(Scene& scene, const GlCapabilities& caps) {
    forEachPlacedModel(scene, [&](Model& m) { drawAmbientPass(m, scene.globalAmbient, caps); });
    for (const Light& original : scene.lights) {
        const Light light = original; // the passes work on a copy
        glClearStencil(0);
        glClear(GL_STENCIL_BUFFER_BIT);
        forEachPlacedModel(scene, [&](Model& m) {
            computeLightInModelSpace(m, light);
            if (scene.shadowMode > 0) {
                markAllSilhouettes(m);
                drawShadowVolumes(m, caps, scene.shadowMode == 2);
            }
            if (scene.shadowMode == 2) drawSilhouetteEdges(m);
        });
        forEachPlacedModel(scene, [&](Model& m) { drawLightPass(m, light, scene.shadowMode != 0, caps); });
    }
}

void drawOverlays(Scene& scene, const GlCapabilities& caps, ViewKind kind) {
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    forEachPlacedModel(scene, [&](Model& m) {
        if (scene.renderMode == 2) {
            drawSeamPoints(m);
            drawMeshAnalyzer(m, caps);
            drawOpenEdges(m);
        }
        if (scene.renderMode == 1) drawWireframeOverlay(m, caps);
        if (scene.showSkeleton) drawSkeleton(m);
    });
    if (scene.camanim && scene.showSkeleton) {
        glPushMatrix();
        applyPlacement(scene.cameraModel);
        if (kind == ViewKind::first) drawSkeleton(scene.cameraModel);
        drawCameraJoints(scene.cameraModel);
        glPopMatrix();
    }
}

} // namespace

void drawView(Scene& scene, const GlCapabilities& caps, ViewKind kind) {
    glMatrixMode(GL_MODELVIEW);
    if (scene.renderMode == 0 || scene.renderMode == 1) drawLitScene(scene, caps);
    drawOverlays(scene, caps, kind);
}

} // namespace render
