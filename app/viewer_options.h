// app/viewer_options.h -- the viewer's command line: folder or model file, test and automation options.
#pragma once

#include <string>
#include <vector>

#include "base/virtual_keys.h"

struct ViewerOptions {
    std::string directory;       // working directory to start in; empty: stay
    std::string modelFile;       // a model file given instead of DIR: a scene of its own for it
    std::string animFile;        // the animation given after the model file
    bool showHelp = false;
    std::string screenshotFile;  // empty: run until the user quits
    int frames = 3;              // frames rendered before the screenshot is written
    bool hasTime = false;        // --time: the clock starts at `time`, speed 0
    double time = 0.0;
    bool hasSize = false;        // --size: the render region instead of 640x480 minus the strip
    int width = 0;
    int height = 0;
    std::vector<KeyChord> presses; // one per frame from the first frame
    bool headless = false;       // offscreen video driver
    bool noDialogs = false;      // message boxes go to standard error
    bool consoleMessages = false; // --console-messages: message boxes to standard error, choosers shown
    std::string caps;            // --caps list, applied after the probe
    int panelPage = 0;           // --panel-page: the page shown first (0 Rendering, 1 Scene, 2 Animation)
    std::string panelShotFile;   // --panel-shot: the panel strip written with the screenshot
    std::vector<std::string> drops; // --drop: files dropped onto the window before the first frame
};

// Parses argv (argv[0] is skipped). On failure returns false and sets `error` to a
// one-line reason. --headless implies --no-dialogs, and so does --screenshot without
// --console-messages.
bool parseViewerOptions(int argc, char** argv, ViewerOptions& out, std::string& error);

// Whether a display is named in the environment (X11 or Wayland).
bool displayAvailable();

// The viewer runs until the user quits, so it must be seen: without a screenshot to write,
// --headless or a missing display is a usage error. False with the reason then.
bool checkViewerCanShow(const ViewerOptions& options, bool haveDisplay, std::string& error);

// The --help text, every option on its own line, and the exit statuses.
const char* viewerUsage();
