// app/shell/startup.cpp -- start-up after the window exists, in its fixed order.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/commands.h"
#include "app/shell/shell.h"
#include "base/basepath.h"
#include "base/load_problem.h"
#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/fast_math.h"
#include "base/view_math.h"
#include "render/bitmap_font.h"
#include "render/frame_passes.h"
#include "render/gl_probe.h"
#include "render/logic/capability_probe.h"
#include "render/start_up.h"
#include "render/texture_upload.h"
#include "render/view_setup.h"
#include "scene/scene.h"
#include "scene/scene_framing.h"

namespace {

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
    const render::DriverStrings driver = render::driverStrings();
    logLine("", driver.vendor);
    logLine("", driver.renderer);
    logLine("GL Version: ", driver.version);
    render::probeGlCapabilities(platform::glProcAddress, shell.window.hasSwapControl(),
                                shell.window.swapControlName());
    GlCapabilities& caps = probedCapabilities();
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
    logLine("", driver.extensions);
    return true;
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
    render::clearLoadingScreen(scene.backgroundColor);
    shell.window.clearPanelStrip();
    render::printLoadingText(shell.fontBase);
    shell.window.swapBuffers();
}

// The scene file, or for a model file given on the command line a scene of its own. A missing
// scene file is the first start's normal case, which the basepath message covers; one that
// exists but cannot be read is reported.
void readScene(Shell& shell, Scene& scene) {
    if (!shell.options.modelFile.empty()) {
        makeModelScene(scene, shell.options.modelFile, shell.options.animFile);
        setBasepath(scene.basepath);
    } else {
        shell.sceneFile = "scene.txt";
        LoadProblems problems;
        readSceneFile(scene, shell.sceneFile, &problems);
        if (problems.empty() || problems.front().kind != ProblemKind::CannotOpen ||
            std::filesystem::exists(shell.sceneFile))
            printProblems(problems);
        if (scene.basepath.empty())
            dialogs().messageBox("Ostrelle Startup", "Don't forget to edit the basepath in scene.txt.", DialogKind::Ok);
    }
    render::setClearColour(scene.backgroundColor);
}

} // namespace

bool runStartup(Shell& shell, Scene& scene, int& exitCode) {
    exitCode = 0;
    shell.fontBase = render::buildFont("Arial", 16);
    startTimer(shell);
    initInvSqrtTable();
    if (!probeDriver(shell)) {
        exitCode = kExitUsage;
        return false;
    }
    if (render::framebufferColourBits() < 32) {
        dialogs().messageBox("Color Depth Error", "Please switch your display to 32-bit color mode.", DialogKind::Ok);
        return false;
    }
    const GlCapabilities& caps = probedCapabilities();
    warnAboutWeakHardware(caps);
    showLoadingScreen(shell, scene);
    render::installTextureDeleter();
    shell.normalisationCubeTex = render::createNormalisationCubeTexture(caps);
    render::createGlowTargets(caps, shell.glowTex1024, shell.glowTex64);
    readScene(shell, scene);
    render::buildLightCubeMaps(scene, caps);
    loadCameraAnimationAtStartup(scene);
    render::selectModelView();
    loadSceneModels(scene);
    for (auto& slot : scene.models) {
        if (!slot) continue;
        printProblems(slot->problems);
        render::uploadModelTextures(*slot);
    }
    if (!shell.options.modelFile.empty())
        placeModelSceneLightAndCamera(scene, viewAspect(shell.window.renderWidth(), shell.window.renderHeight(),
                                                        scene.stereoMode));
    if (shell.options.hasTime) {
        scene.animTime = shell.options.time;
        scene.animSpeed = 0;
    }
    shell.panelLogic->refresh();
    return true;
}
