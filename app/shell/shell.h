// app/shell/shell.h -- the windowed viewer's run: start-up, the frame loop and shutdown.
#pragma once

#include <memory>

#include "app/controls.h"
#include "app/text_lines.h"
#include "app/viewer_options.h"
#include "platform/sdl_window.h"
#include "ui/logic/load_commands.h"
#include "ui/logic/panel_logic.h"
#include "ui/panel.h"

struct GlCapabilities;
struct Scene;
struct Shell;

// What the keys and the panel ask of the viewer: the load commands (F3, F4, F8), saving and
// framing, the clear colour, quitting, and the texture uploads after every load
// (app/shell/frame.cpp).
class ShellCommands : public KeyCommands, public ui::PanelHost, public ui::TextureUploader {
public:
    ShellCommands(Shell& shell, Scene& scene) : shell_(shell), scene_(scene) {}
    void loadMeshIntoFocus() override;
    void loadAnimForFocus() override;
    void loadTextureForFocus() override;
    void saveScene() override;
    void frameModelInFocus() override;
    void pauseMilliseconds(int ms) override;
    void setClearColour(const float rgba[4]) override;
    void quit() override;
    void uploadModel(Model& model) override;
    void uploadMesh(Model& model, int mesh) override;

private:
    Shell& shell_;
    Scene& scene_;
};

// What the loop keeps besides the scene.
struct Shell {
    ViewerOptions options;
    platform::SdlWindow window;
    platform::SdlHeldKeys held;
    ControlState controls;
    FrameCounter frameCounter;
    unsigned long long perfFrequency = 0;
    unsigned long long lastCounter = 0;
    float cameraPose[17] = {};   // camera matrix (column-major) and field of view
    bool cameraPoseValid = false;
    unsigned int normalisationCubeTex = 0;
    unsigned int glowTex1024 = 0;
    unsigned int glowTex64 = 0;
    unsigned int fontBase = 0;
    int frameNumber = 0;         // frames begun so far
    // The control panel: its window-free logic with the load commands, and its drawing.
    std::unique_ptr<ShellCommands> commands;
    std::unique_ptr<ui::LoadCommands> loads;
    std::unique_ptr<ui::PanelLogic> panelLogic;
    ui::Panel panel;
    std::unique_ptr<ui::PanelDialogs> panelDialogs; // installed unless dialogs are off
    std::string sceneFile;       // the scene file read at start-up, where F6 saves; empty for a model's own scene
};

// Runs the viewer until the user quits; returns the process exit status.
int runViewer(const ViewerOptions& options);

// The panel and the choosers behind the dialog interface; the console's answers when
// `withDialogs` is false. Before runStartup.
void openPanel(Shell& shell, Scene& scene, bool withDialogs);

// Start-up after the window exists, in its fixed order. False when the program must end
// now, with `exitCode` set.
bool runStartup(Shell& shell, Scene& scene, int& exitCode);

// One frame after the events are pumped, from the sleep to the swap.
void runFrame(Shell& shell, Scene& scene);

// The view drawing sequence with the current matrices.
void drawView(Shell& shell, Scene& scene);

// The status line and the help or hint lines.
void printOverlayText(const Shell& shell, const Scene& scene);

// Writes the render region of the back buffer as PNG. False when it cannot be written.
bool writeRenderRegionPng(const std::string& file, int width, int height);
// The same for the region from column `x` (the panel strip).
bool writeWindowRegionPng(const std::string& file, int x, int width, int height);

// The model steps the frame calls on every slot; the skinning and animation subsystems
// provide them.
void animateModels(Scene& scene);
void skinModels(Scene& scene);
void updateCameraPose(Shell& shell, Scene& scene);
void loadCameraAnimationAtStartup(Scene& scene);
