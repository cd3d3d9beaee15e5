// render/panel_gl_state.cpp -- attribute and matrix saving around the panel; the chooser backdrop.
#include "render/panel_gl_state.h"

#include <GL/gl.h>

namespace render {

namespace {
void pushMatrix(GLenum mode) {
    glMatrixMode(mode);
    glPushMatrix();
}
void popMatrix(GLenum mode) {
    glMatrixMode(mode);
    glPopMatrix();
}
} // namespace

PanelGlState::PanelGlState() {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    GLint mode = GL_MODELVIEW;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    pushMatrix(GL_TEXTURE);
    pushMatrix(GL_PROJECTION);
    pushMatrix(GL_MODELVIEW);
    glMatrixMode(static_cast<GLenum>(mode));
}

// The matrix mode is part of the transform attributes: popping them last restores it.
PanelGlState::~PanelGlState() {
    popMatrix(GL_MODELVIEW);
    popMatrix(GL_PROJECTION);
    popMatrix(GL_TEXTURE);
    glPopClientAttrib();
    glPopAttrib();
}

void clearForChooser(int width, int height) {
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.85f, 0.85f, 0.85f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

} // namespace render
