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
void applyStereoEyeOffset(int, int) {}
void drawStereoSecondView(int, int, int, void (*)(void*), void*) {}
void applyGlow(int, unsigned int, unsigned int, int, int, const GlCapabilities&) {}

} // namespace render
