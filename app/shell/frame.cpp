// app/shell/frame.cpp -- one frame of the loop, from the sleep to the drawing of the view.
#include "app/shell/shell.h"
#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/view_math.h"
#include "render/frame_passes.h"
#include "render/frame_state.h"
#include "render/gl_errors.h"
#include "render/logic/capability_probe.h"
#include "render/start_up.h"
#include "render/texture_upload.h"
#include "render/view_passes.h"
#include "render/view_setup.h"
#include "scene/scene.h"
#include "scene/scene_framing.h"
#include "scene/scene_writer.h"

namespace {

// The keys that the command line presses: one per frame from the first frame, through the
// same key arrays as a person's keys, released again after the frame.
class PressedKey {
public:
    PressedKey(Shell& shell) : shell_(shell) {
        size_t index = static_cast<size_t>(shell.frameNumber);
        if (index >= shell.options.presses.size()) return;
        chord_ = shell.options.presses[index];
        shell.held.setInjected(chord_.shift, chord_.ctrl);
        shell.controls.keys.onKeyDown(chord_.key);
        active_ = true;
    }
    ~PressedKey() {
        if (!active_) return;
        shell_.controls.keys.keyDown[chord_.key] = false;
        shell_.held.setInjected(false, false);
    }

private:
    Shell& shell_;
    KeyChord chord_;
    bool active_ = false;
};

void tickFrameCounter(Shell& shell, unsigned long long now) {
    std::string title;
    if (shell.frameCounter.tick(now, platform::performanceFrequency(), title)) shell.window.setTitle(title);
}

void advanceClock(Shell& shell, Scene& scene, unsigned long long now) {
    if (shell.perfFrequency != 0) {
        double seconds = static_cast<double>(now - shell.lastCounter) / static_cast<double>(shell.perfFrequency);
        scene.animTime += seconds * static_cast<double>(scene.animSpeed);
    }
    shell.lastCounter = now;
}

bool animatedCameraInUse(const Shell& shell, const Scene& scene) {
    return shell.cameraPoseValid && scene.animatedCamera > 0;
}

void setProjection(const Shell& shell, const Scene& scene) {
    double fov = animatedCameraInUse(shell, scene) ? animatedCameraFov(shell.cameraPose[16]) : 45.0;
    render::setProjection(fov, shell.window.renderWidth(), shell.window.renderHeight(), scene.stereoMode);
}

void setView(const Shell& shell, const Scene& scene) {
    if (animatedCameraInUse(shell, scene))
        render::setAnimatedCameraView(shell.cameraPose, scene.stereoMode);
    else
        render::setFreeCameraView(scene);
}

void finishFrame(Shell& shell, Scene& scene, const GlCapabilities& caps) {
    drawView(shell, scene);
    if (scene.stereoMode != 0) {
        const float* animatedPose = animatedCameraInUse(shell, scene) ? shell.cameraPose : nullptr;
        render::drawStereoSecondView(scene, animatedPose, shell.window.renderWidth(), shell.window.renderHeight(),
                                     caps);
        render::setFullViewport(shell.window.renderWidth(), shell.window.renderHeight());
    }
    render::resetTextureUnits(caps);
    render::applyGlow(scene.glowOn, shell.glowTex1024, shell.glowTex64, shell.window.renderWidth(),
                      shell.window.renderHeight(), caps);
    if (shell.panel.isOpen()) shell.panel.draw(*shell.panelLogic);
    else shell.window.clearPanelStrip();
}

} // namespace

void ShellCommands::loadMeshIntoFocus() { shell_.loads->loadMeshIntoFocus(); }
void ShellCommands::loadAnimForFocus() { shell_.loads->loadAnimForFocus(); }
void ShellCommands::loadTextureForFocus() { shell_.loads->loadTextureForFocus(); }
// Saving tells the user only what went wrong; a saved scene goes to the log.
void ShellCommands::saveScene() {
    std::string message;
    if (shell_.sceneFile.empty()) {
        message = "This scene was made for one model file and has no scene file to be saved to; nothing was saved.";
    } else if (saveSceneFile(scene_, shell_.sceneFile, message)) {
        logText("scene saved to " + shell_.sceneFile + "\n");
        return;
    }
    logText(message + "\n");
    dialogs().messageBox("Save Scene", message, DialogKind::Ok);
    shell_.controls.dialogJustClosed = true; // the Escape that closes the message must not quit
}
void ShellCommands::frameModelInFocus() {
    ::frameModelInFocus(scene_, viewAspect(shell_.window.renderWidth(), shell_.window.renderHeight(), scene_.stereoMode));
}
void ShellCommands::pauseMilliseconds(int ms) { platform::sleepMilliseconds(ms); }
void ShellCommands::setClearColour(const float rgba[4]) { render::setClearColour(rgba); }
void ShellCommands::quit() { shell_.controls.quitRequested = true; }
void ShellCommands::uploadModel(Model& model) { render::uploadModelTextures(model); }
void ShellCommands::uploadMesh(Model& model, int mesh) { render::uploadMeshTextures(model, mesh); }

void drawView(Shell&, Scene& scene) { render::drawView(scene, probedCapabilities()); }

void runFrame(Shell& shell, Scene& scene) {
    PressedKey pressed(shell);
    ++shell.frameNumber;
    platform::sleepMilliseconds(1);
    render::reportGlErrors();
    unsigned long long now = platform::performanceCounter();
    tickFrameCounter(shell, now);
    // The panel's up-downs hold the focus and the light between frames; the keys change the
    // scene and the refresh shows it in the same frame.
    shell.panelLogic->readSelection();
    handleKeyboard(scene, shell.controls, shell.held, *shell.commands);
    shell.panelLogic->refresh();

    const GlCapabilities& caps = probedCapabilities();
    render::setFrameState(caps);
    advanceClock(shell, scene, now);
    animateModels(scene);
    updateBoundLights(scene);
    updateCameraPose(shell, scene);
    setProjection(shell, scene);
    setView(shell, scene);
    render::updateLightEyePositions(scene);
    render::setUnlitState();
    render::drawLightMarkers(scene);
    skinModels(scene);
    render::setTextColour();
    render::beginFirstViewText(scene.stereoMode, shell.window.renderWidth(), shell.window.renderHeight());
    printOverlayText(shell, scene);
    render::endFirstViewText();
    finishFrame(shell, scene, caps);
}
