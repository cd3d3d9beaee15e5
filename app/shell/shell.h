// app/shell/shell.h -- the windowed viewer's run: start-up, the frame loop and shutdown.
#pragma once

#include "app/controls.h"
#include "app/text_lines.h"
#include "app/viewer_options.h"
#include "platform/sdl_window.h"

struct GlCapabilities;
struct Scene;

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
    std::string sceneFile;       // the scene file read at start-up, where F6 saves; empty for a model's own scene
};

// Runs the viewer until the user quits; returns the process exit status.
int runViewer(const ViewerOptions& options);

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

// The model steps the frame calls on every slot; the skinning and animation subsystems
// provide them.
void animateModels(Scene& scene);
void skinModels(Scene& scene);
void updateCameraPose(Shell& shell, Scene& scene);
void loadCameraAnimationAtStartup(Scene& scene);
