// render/glow_pass.cpp -- the glow: the finished picture shrunk into a blurred 64 x 64 corner,
// its parts brighter than a quarter laid over the picture at half strength.
//
// Texture units: 0 holds the capture texture while shrinking (modulate), then the blurred
// copy (combine: texture minus primary colour, alpha from the primary colour); 1 to 3 off.
#include <GL/gl.h>
#include <GL/glext.h>

#include "base/gl_capabilities.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "render/gl_extensions.h"
#include "render/logic/stereo_glow.h"

namespace render {
namespace {

// One quad over the whole viewport (identity matrices) with the given texture coordinates,
// counter-clockwise.
void drawViewportQuad(const float texCoords[4][2]) {
    static const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    glBegin(GL_QUADS);
    for (int c = 0; c < 4; ++c) {
        glTexCoord2f(texCoords[c][0], texCoords[c][1]);
        glVertex3f(corners[c][0], corners[c][1], 0.0f);
    }
    glEnd();
}

// The captured picture, four times with the sample shifts, summed into the blurred corner.
void shrinkIntoCorner(int width, int height) {
    const GlowSampleQuads quads = glowSampleQuads(width, height);
    glViewport(0, 0, glowBlurSize, glowBlurSize);
    glColor3f(glowSampleWeight, glowSampleWeight, glowSampleWeight);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_BLEND);
    drawViewportQuad(quads.texCoords[0]);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    for (int q = 1; q < 4; ++q) drawViewportQuad(quads.texCoords[q]);
}

// The picture's own corner, which the blurred copy was drawn over, back from the capture: the
// corner's texels at the texel centres, one to one.
void restoreCorner(unsigned int glowTex1024) {
    const float edge = static_cast<float>(glowBlurSize) / glowCaptureSize;
    const float corner[4][2] = {{0, 0}, {edge, 0}, {edge, edge}, {0, edge}};
    glBindTexture(GL_TEXTURE_2D, glowTex1024);
    glColor3f(1, 1, 1);
    glDisable(GL_BLEND);
    drawViewportQuad(corner);
}

// Unit 0 gives (texture - primary colour, primary alpha); the other units are off.
void setSubtractEnvironment(const GlCapabilities& caps) {
    for (int unit = 1; unit < 4 && unit < caps.maxTextureUnits; ++unit) {
        ext::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_2D);
    }
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB_ARB, GL_SUBTRACT_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB_ARB, GL_TEXTURE);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB_ARB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE1_RGB_ARB, GL_PRIMARY_COLOR_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB_ARB, GL_SRC_COLOR);
    glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE_ARB, 1.0f);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA_ARB, GL_REPLACE);
    glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA_ARB, GL_PRIMARY_COLOR_ARB);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA_ARB, GL_SRC_ALPHA);
}

// The blurred corner, less the threshold, over the whole picture at half strength.
void blendOverPicture(unsigned int glowTex64, int width, int height, const GlCapabilities& caps) {
    static const float wholeTexture[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBindTexture(GL_TEXTURE_2D, glowTex64);
    glViewport(0, 0, width, height);
    glColor4f(glowThreshold, glowThreshold, glowThreshold, glowBlend);
    glDisable(GL_ALPHA_TEST);
    setSubtractEnvironment(caps);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawViewportQuad(wholeTexture);
}

} // namespace

void applyGlow(int glowOn, unsigned int glowTex1024, unsigned int glowTex64, int renderWidth, int renderHeight,
               const GlCapabilities& caps) {
    if (!glowApplies(glowOn, caps.hasEnvCombine != 0, caps.hasMultitexture != 0, renderWidth, renderHeight))
        return;
    if (glowTex1024 == 0 || glowTex64 == 0) return;
    glFrontFace(GL_CCW);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, glowTex1024);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, renderWidth, renderHeight);

    pushIdentityMatrices();
    shrinkIntoCorner(renderWidth, renderHeight);
    glBindTexture(GL_TEXTURE_2D, glowTex64);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, glowBlurSize, glowBlurSize);
    restoreCorner(glowTex1024);
    blendOverPicture(glowTex64, renderWidth, renderHeight, caps);

    popIdentityMatrices();
    // The frame's state again; the passes of the next frame expect modulate on unit 0 and
    // clockwise front faces.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glFrontFace(GL_CW);
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_ALPHA_TEST);
}

} // namespace render
