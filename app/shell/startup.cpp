// app/shell/startup.cpp -- start-up after the window exists, in its fixed order.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>
#include <cstdlib>

#include "base/fast_math.h"
#include "render/logic/capability_probe.h"
#include "base/debug_log.h"
#include "base/dialogs.h"
#include "app/shell/shell.h"
#include "render/bitmap_font.h"
#include "render/frame_passes.h"
#include "render/gl_extensions.h"
#include "render/texture_upload.h"
#include "scene/scene.h"

namespace {

const char* glText(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

void logLine(const char* prefix, const char* text) {
    if (!text) return;
    logText(prefix);
    logText(text);
    logText("\n");
}

void startTimer(Shell& shell) {
    shell.perfFrequency = platform::performanceFrequency();
    if (shell.perfFrequency == 0) logText("Highres Timer unsupported\n");
    shell.lastCounter = platform::performanceCounter();
}

// The driver's identification, the probe (with any --caps limits) and the limits, in the
// log's start-up order.
bool probeDriver(Shell& shell) {
    logLine("", glText(GL_VENDOR));
    logLine("", glText(GL_RENDERER));
    logLine("GL Version: ", glText(GL_VERSION));
    render::probeGlCapabilities(platform::glProcAddress, shell.window.hasSwapControl());
    GlCapabilities& caps = glCapabilities();
    if (!shell.options.caps.empty()) {
        std::string limited, error;
        if (!applyCapabilityLimits(shell.options.caps, caps, limited, error)) {
            fprintf(stderr, "ostrelle: %s\n", error.c_str());
            return false;
        }
        logText(limited);
    }
    logText("\nMax. Texture Units: ");
    logInt(caps.maxTextureUnits);
    logText("\n");
    if (caps.hasRegisterCombiners) {
        logText("Max. General Combiners (NV): ");
        logInt(caps.maxGeneralCombiners);
        logText("\n\n");
    }
    logLine("", glText(GL_EXTENSIONS));
    return true;
}

int framebufferColourBits() {
    GLint r = 0, g = 0, b = 0, a = 0;
    glGetIntegerv(GL_RED_BITS, &r);
    glGetIntegerv(GL_GREEN_BITS, &g);
    glGetIntegerv(GL_BLUE_BITS, &b);
    glGetIntegerv(GL_ALPHA_BITS, &a);
    return r + g + b + a;
}

void warnAboutWeakHardware(const GlCapabilities& caps) {
    if (caps.hasEnvDot3 && caps.maxTextureUnits >= 2) return;
    dialogs().messageBox("Hardware Capabilities",
                         "This application was designed for graphics hardware with certain capabilities, the "
                         "detected capabilities on this machine are lower than that. The application will "
                         "continue, but the rendered image will not look as good as it was intended to.",
                         DialogKind::Ok);
}

void showLoadingScreen(Shell& shell, const Scene& scene) {
    glClearColor(scene.backgroundColor[0], scene.backgroundColor[1], scene.backgroundColor[2],
                 scene.backgroundColor[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    shell.window.clearPanelStrip();
    glColor4f(1, 1, 1, 1);
    render::printText(shell.fontBase, "Loading...", 0, 2);
    shell.window.swapBuffers();
}

void buildNormalisationCube(Shell& shell, const GlCapabilities& caps) {
    if (!caps.hasEnvDot3 || !caps.hasCubeMap || !caps.hasMultitexture) return;
    render::ext::glActiveTextureARB(GL_TEXTURE1_ARB);
    glGenTextures(1, &shell.normalisationCubeTex);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, shell.normalisationCubeTex);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP_ARB, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    render::buildNormalisationCubeMap(128);
    render::ext::glActiveTextureARB(GL_TEXTURE0_ARB);
}

void buildGlowTextures(Shell& shell, const GlCapabilities& caps) {
    if (!caps.hasEnvCombine || !caps.hasMultitexture) return;
    glEnable(GL_TEXTURE_2D);
    render::createGlowTextures(shell.glowTex1024, shell.glowTex64);
}

void readScene(Scene& scene) {
    readSceneFile(scene, "scene.txt");
    if (scene.basepath.empty())
        dialogs().messageBox("Ostrelle Startup", "Don't forget to edit the basepath in scene.txt.", DialogKind::Ok);
    glClearColor(scene.backgroundColor[0], scene.backgroundColor[1], scene.backgroundColor[2],
                 scene.backgroundColor[3]);
}

} // namespace

bool runStartup(Shell& shell, Scene& scene, int& exitCode) {
    exitCode = 0;
    shell.fontBase = render::buildFont("Arial", 16);
    startTimer(shell);
    initInvSqrtTable();
    if (!probeDriver(shell)) {
        exitCode = 2;
        return false;
    }
    if (framebufferColourBits() < 32) {
        dialogs().messageBox("Color Depth Error", "Please switch your display to 32-bit color mode.", DialogKind::Ok);
        return false;
    }
    const GlCapabilities& caps = glCapabilities();
    warnAboutWeakHardware(caps);
    showLoadingScreen(shell, scene);
    render::installTextureDeleter();
    buildNormalisationCube(shell, caps);
    buildGlowTextures(shell, caps);
    readScene(scene);
    render::buildLightCubeMaps(scene, caps);
    loadCameraAnimationAtStartup(scene);
    glMatrixMode(GL_MODELVIEW);
    loadSceneModels(scene);
    for (auto& slot : scene.models)
        if (slot) render::uploadModelTextures(*slot);
    if (shell.options.hasTime) {
        scene.animTime = shell.options.time;
        scene.animSpeed = 0;
    }
    return true;
}
