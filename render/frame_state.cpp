// render/frame_state.cpp -- the per-frame state set-up and the texture units' reset after
// the views.
#include "render/frame_state.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "base/gl_capabilities.h"
#include "render/gl_extensions.h"

namespace render {

void setFrameState(const GlCapabilities& caps) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glEnable(GL_POINT_SMOOTH);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CW);
    glCullFace(GL_BACK);

    const GLfloat ambient[4] = {1, 1, 1, 1.3f}, diffuse[4] = {1, 1, 1, 1.3f}, specular[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    const GLfloat modelAmbient[4] = {0, 0, 0, 1};
    glMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glMaterialfv(GL_FRONT, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT, GL_SHININESS, 30);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    if (caps.hasSeparateSpecular) glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
}

void setUnlitState() {
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
}

void setTextColour() { glColor4f(1, 1, 1, 1); }

void resetTextureUnits(const GlCapabilities& caps) {
    if (!caps.hasMultitexture) return;
    ext::glActiveTextureARB(GL_TEXTURE1_ARB);
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
    glDisable(GL_TEXTURE_2D);
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
}

void pushIdentityMatrices() {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
}

void popIdentityMatrices() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

} // namespace render
