// app/shell/frame.cpp -- one frame of the loop, from the sleep to the drawing of the view.
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include "render/logic/capability_probe.h"
#include "app/shell/shell.h"
#include "base/view_math.h"
#include "render/frame_passes.h"
#include "render/gl_errors.h"
#include "render/gl_extensions.h"
#include "scene/scene.h"

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

// The key commands until the control panel provides its load commands.
class ShellKeyCommands : public KeyCommands {
public:
    void loadMeshIntoFocus() override {}
    void loadAnimForFocus() override {}
    void loadTextureForFocus() override {}
    void pauseMilliseconds(int ms) override { platform::sleepMilliseconds(ms); }
};

void tickFrameCounter(Shell& shell, unsigned long long now) {
    std::string title;
    if (shell.frameCounter.tick(now, platform::performanceFrequency(), title)) shell.window.setTitle(title);
}

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
    int width = viewWidth(shell.window.renderWidth(), scene.stereoMode);
    double fov = animatedCameraInUse(shell, scene) ? animatedCameraFov(shell.cameraPose[16]) : 45.0;
    float projection[16];
    infinitePerspective(fov, viewAspect(shell.window.renderWidth(), shell.window.renderHeight(), scene.stereoMode),
                        1.0, 20000.0, projection);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projection);
    glViewport(0, 0, width, shell.window.renderHeight());
}

void setView(const Shell& shell, const Scene& scene) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    render::applyStereoEyeOffset(scene.stereoMode, 0);
    if (animatedCameraInUse(shell, scene)) {
        const float* p = shell.cameraPose;
        gluLookAt(p[12], p[13], p[14], p[12] + 10 * p[0], p[13] + 10 * p[1], p[14] + 10 * p[2], p[8], p[9], p[10]);
        return;
    }
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

void drawLightMarkers(const Scene& scene) {
    if (!scene.displaylights) return;
    for (int i = 0; i < scene.numlights; ++i) {
        const Light& light = scene.lights[static_cast<size_t>(i)];
        glPointSize(i == scene.selectedLight ? 8.0f : 5.0f);
        glColor3f(light.lightcolor_d[0], light.lightcolor_d[1], light.lightcolor_d[2]);
        glBegin(GL_POINTS);
        glVertex3f(light.lightpos[0], light.lightpos[1], light.lightpos[2]);
        glEnd();
    }
}

void drawViewCallback(void* context) {
    auto* pair = static_cast<std::pair<Shell*, Scene*>*>(context);
    drawView(*pair->first, *pair->second);
}

void finishFrame(Shell& shell, Scene& scene, const GlCapabilities& caps) {
    glMatrixMode(GL_MODELVIEW);
    drawView(shell, scene);
    if (scene.stereoMode != 0) {
        std::pair<Shell*, Scene*> context(&shell, &scene);
        render::drawStereoSecondView(scene.stereoMode, shell.window.renderWidth(), shell.window.renderHeight(),
                                     drawViewCallback, &context);
        glViewport(0, 0, shell.window.renderWidth(), shell.window.renderHeight());
    }
    if (caps.hasMultitexture) {
        render::ext::glActiveTextureARB(GL_TEXTURE1_ARB);
        glDisable(GL_TEXTURE_CUBE_MAP_ARB);
        glDisable(GL_TEXTURE_2D);
        render::ext::glActiveTextureARB(GL_TEXTURE0_ARB);
    }
    render::applyGlow(scene.glowOn, shell.glowTex1024, shell.glowTex64, shell.window.renderWidth(),
                      shell.window.renderHeight(), caps);
    shell.window.clearPanelStrip();
}

} // namespace

void runFrame(Shell& shell, Scene& scene) {
    PressedKey pressed(shell);
    ++shell.frameNumber;
    platform::sleepMilliseconds(1);
    render::reportGlErrors();
    unsigned long long now = platform::performanceCounter();
    tickFrameCounter(shell, now);
    // The panel's selection controls do not exist yet: focus and light stay as the keys left them.
    ShellKeyCommands commands;
    handleKeyboard(scene, shell.controls, shell.held, commands);

    const GlCapabilities& caps = glCapabilities();
    setFrameState(caps);
    advanceClock(shell, scene, now);
    animateModels(scene);
    updateBoundLights(scene);
    updateCameraPose(shell, scene);
    setProjection(shell, scene);
    setView(shell, scene);
    updateLightEyePositions(scene);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    drawLightMarkers(scene);
    skinModels(scene);
    glColor4f(1, 1, 1, 1);
    printOverlayText(shell, scene);
    finishFrame(shell, scene, caps);
}
