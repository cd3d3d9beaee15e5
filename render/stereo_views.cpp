// render/stereo_views.cpp -- stereo: the eye offset at the head of each view, the second view
// in the right half of the render region, and the text kept inside the first view.
#include <GL/gl.h>

#include "render/frame_passes.h"
#include "render/logic/stereo_glow.h"
#include "render/view_passes.h"
#include "render/view_setup.h"
#include "scene/scene.h"

namespace render {

void applyStereoEyeOffset(int stereoMode, int eye) {
    const float shift = stereoEyeShift(stereoMode, eye);
    if (shift != 0.0f) glTranslatef(shift, 0.0f, 0.0f);
}

// The same camera as the first view, from the other eye; the lights' eye positions follow.
// The second view draws no text, and the camera model shows its markers without its skeleton.
void drawStereoSecondView(Scene& scene, const float* animatedCameraPose, int renderWidth, int renderHeight,
                          const GlCapabilities& caps) {
    if (animatedCameraPose)
        setAnimatedCameraView(animatedCameraPose, scene.stereoMode, 1);
    else
        setFreeCameraView(scene, 1);
    const ViewRect view = stereoViewRect(renderWidth, renderHeight, 1);
    glViewport(view.x, view.y, view.width, view.height);
    updateLightEyePositions(scene);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    drawLightMarkers(scene, 1);
    drawView(scene, caps, ViewKind::stereoSecond);
}

// Text is placed like bitmaps, clipped by the window and not by the viewport: a line longer
// than the left view would run into the right one, where it would stay in the picture and
// hide the second view's geometry behind its depth. The scissor keeps it in the first view.
void beginFirstViewText(int stereoMode, int renderWidth, int renderHeight) {
    if (stereoMode == 0) return;
    const ViewRect view = stereoViewRect(renderWidth, renderHeight, 0);
    glScissor(view.x, view.y, view.width, view.height);
    glEnable(GL_SCISSOR_TEST);
}

void endFirstViewText() { glDisable(GL_SCISSOR_TEST); }

} // namespace render
