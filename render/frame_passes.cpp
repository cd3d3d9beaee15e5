// render/frame_passes.cpp -- a model's placement, and the light brought into its space.
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

} // namespace render
