// render/start_up.cpp -- the GL work of start-up, called once in the shell's start-up order.
#include "render/start_up.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include "base/gl_capabilities.h"
#include "render/bitmap_font.h"
#include "render/frame_passes.h"
#include "render/gl_extensions.h"
#include "render/light_paths.h"

namespace render {
namespace {

const char* glText(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

} // namespace

DriverStrings driverStrings() {
    DriverStrings strings;
    strings.vendor = glText(GL_VENDOR);
    strings.renderer = glText(GL_RENDERER);
    strings.version = glText(GL_VERSION);
    strings.extensions = glText(GL_EXTENSIONS);
    return strings;
}

int framebufferColourBits() {
    GLint r = 0, g = 0, b = 0, a = 0;
    glGetIntegerv(GL_RED_BITS, &r);
    glGetIntegerv(GL_GREEN_BITS, &g);
    glGetIntegerv(GL_BLUE_BITS, &b);
    glGetIntegerv(GL_ALPHA_BITS, &a);
    return r + g + b + a;
}

void setClearColour(const float colour[4]) { glClearColor(colour[0], colour[1], colour[2], colour[3]); }

void clearLoadingScreen(const float background[4]) {
    setClearColour(background);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

void printLoadingText(unsigned int fontBase) {
    glColor4f(1, 1, 1, 1);
    printText(fontBase, "Loading...", 0, 2);
}

unsigned int createNormalisationCubeTexture(const GlCapabilities& caps) {
    if (!caps.hasEnvDot3 || !caps.hasCubeMap || !caps.hasMultitexture) return 0;
    GLuint name = 0;
    ext::glActiveTextureARB(GL_TEXTURE1_ARB);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, name);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    buildNormalisationCubeMap(128);
    ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    setNormalisationCubeTexture(name);
    return name;
}

void createGlowTargets(const GlCapabilities& caps, unsigned int& glowTex1024, unsigned int& glowTex64) {
    if (!caps.hasEnvCombine || !caps.hasMultitexture) return;
    glEnable(GL_TEXTURE_2D);
    createGlowTextures(glowTex1024, glowTex64);
}

} // namespace render
