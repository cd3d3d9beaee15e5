// render/view_setup.cpp -- projection, viewport and camera matrices of a view, the lights'
// eye positions and the light markers.
#include "render/view_setup.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "base/view_math.h"
#include "render/frame_passes.h"
#include "render/logic/stereo_glow.h"
#include "scene/scene.h"

namespace render {

void selectModelView() { glMatrixMode(GL_MODELVIEW); }

void setProjection(double fovDegrees, int renderWidth, int renderHeight, int stereoMode) {
    float projection[16];
    infinitePerspective(fovDegrees, viewAspect(renderWidth, renderHeight, stereoMode), 1.0, 20000.0, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glViewport(0, 0, viewWidth(renderWidth, stereoMode), renderHeight);
}

void setFullViewport(int renderWidth, int renderHeight) { glViewport(0, 0, renderWidth, renderHeight); }

void setAnimatedCameraView(const float cameraPose[17], int stereoMode, int eye) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    applyStereoEyeOffset(stereoMode, eye);
    const float* p = cameraPose;
    gluLookAt(p[12], p[13], p[14], p[12] + 10 * p[0], p[13] + 10 * p[1], p[14] + 10 * p[2], p[8], p[9], p[10]);
}

void setFreeCameraView(const Scene& scene, int eye) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    applyStereoEyeOffset(scene.stereoMode, eye);
    glTranslatef(-scene.cameraPanX, -scene.cameraPanY, scene.cameraDolly);
    glRotatef(scene.cameraPitch - 90, 1, 0, 0);
    glRotatef(-scene.cameraYaw, 0, 0, 1);
    int focus = scene.model_in_focus;
    if (focus >= 0 && focus < scene.nummodels) {
        const Vec3& pos = scene.modelpos[static_cast<size_t>(focus)];
        glTranslatef(-pos[0], -pos[1], -pos[2]);
    }
}

void updateLightEyePositions(Scene& scene) {
    float view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (Light& light : scene.lights) transformPoint(view, light.lightpos, light.eyePos);
}

void drawLightMarkers(const Scene& scene, int eye) {
    if (!scene.displaylights) return;
    for (int i = 0; i < scene.numlights; ++i) {
        const Light& light = scene.lights[static_cast<size_t>(i)];
        glPointSize(lightMarkerSize(i == scene.selectedLight, eye));
        glColor3f(light.lightcolor_d[0], light.lightcolor_d[1], light.lightcolor_d[2]);
        glBegin(GL_POINTS);
        glVertex3f(light.lightpos[0], light.lightpos[1], light.lightpos[2]);
        glEnd();
    }
}

} // namespace render
