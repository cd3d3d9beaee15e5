// render/frame_passes.cpp -- placement, the light brought into model space, plus the passes not yet built: each draws nothing.
#include "render/frame_passes.h"

#include <GL/gl.h>

#include "base/view_math.h"
#include "model/model.h"
#include "scene/scene.h"

namespace render {

void applyPlacement(const Model& model) { glMultMatrixf(model.placement); }

void computeLightInModelSpace(Model& model, const Light& light) {
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    inverseRigidTransformPoint(modelview, light.eyePos, model.lightPosModel);
    model.lightPosModel[3] = 1.0f;
}
void markAllSilhouettes(Model&) {}
void drawShadowVolumes(Model&, const GlCapabilities&, bool) {}
void drawSilhouetteEdges(Model&) {}
void drawLightPass(Model&, const Light&, bool, const GlCapabilities&) {}
void drawSeamPoints(Model&) {}
void drawMeshAnalyzer(Model&, const GlCapabilities&) {}
void drawOpenEdges(Model&) {}
void drawWireframeOverlay(Model&, const GlCapabilities&) {}

} // namespace render
