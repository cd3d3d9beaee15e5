// app/shell/viewer.cpp -- the run of the windowed viewer: window, start-up, loop, shutdown.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>

#include "base/debug_log.h"
#include "base/dialogs.h"
#include "app/commands.h"
#include "app/shell/shell.h"
#include "render/bitmap_font.h"
#include "scene/scene.h"

namespace {

// Window events go straight to the key arrays and the mouse handler, between frames.
class ShellEvents : public platform::WindowEvents {
public:
    ShellEvents(Shell& shell, Scene& scene) : shell_(shell), scene_(scene) {}
    void keyDown(int key) override { shell_.controls.keys.onKeyDown(key); }
    void keyUp(int key) override { shell_.controls.keys.onKeyUp(key); }
    void mouseMove(int x, int y) override { handleMouseMove(scene_, shell_.controls, shell_.held, x, y); }
    void quit() override { shell_.controls.quitRequested = true; }

private:
    Shell& shell_;
    Scene& scene_;
};

bool wantsHeadless(const ViewerOptions& options) { return options.headless || !displayAvailable(); }

// The screenshot is named relative to where the program was started, not the scene folder.
bool enterDirectory(ViewerOptions& options) {
    if (!options.screenshotFile.empty())
        options.screenshotFile = std::filesystem::absolute(options.screenshotFile).string();
    if (options.directory.empty()) return true;
    if (chdir(options.directory.c_str()) == 0) return true;
    fprintf(stderr, "ostrelle: cannot enter %s: %s\n", options.directory.c_str(), strerror(errno));
    return false;
}

// The frame loop; returns when the user quits or the screenshot is written.
int runLoop(Shell& shell, Scene& scene) {
    ShellEvents events(shell, scene);
    int exitCode = 0;
    while (true) {
        shell.window.pumpEvents(events);
        if (shell.controls.quitRequested) break;
        runFrame(shell, scene);
        // The screenshot shows the last frame: the N-th, or the one in which the user quit.
        bool lastFrame = shell.frameNumber >= shell.options.frames || shell.controls.quitRequested;
        if (!shell.options.screenshotFile.empty() && lastFrame) {
            if (!writeRenderRegionPng(shell.options.screenshotFile, shell.window.renderWidth(),
                                      shell.window.renderHeight())) {
                fprintf(stderr, "ostrelle: cannot write %s\n", shell.options.screenshotFile.c_str());
                exitCode = kExitFailure;
            }
            shell.controls.quitRequested = true;
        }
        shell.window.swapBuffers();
        shell.controls.keys.clearPressed();
        if (shell.controls.quitRequested) break;
    }
    return exitCode;
}

} // namespace

int runViewer(const ViewerOptions& given) {
    Shell shell;
    shell.options = given;
    if (!enterDirectory(shell.options)) return kExitFailure;
    openDebugLog();

    // Without a display only a screenshot run gets here (see checkViewerCanShow).
    bool headless = wantsHeadless(shell.options);
    static platform::SdlDialogs windowDialogs;
    if (!shell.options.noDialogs && !headless) setDialogs(&windowDialogs);

    int width = shell.options.hasSize ? shell.options.width : 640 - platform::panelWidth;
    int height = shell.options.hasSize ? shell.options.height : 480;
    std::string error;
    if (!shell.window.open("Ostrelle by tamsk", width, height, headless, error)) {
        fprintf(stderr, "ostrelle: %s\n", error.c_str());
        return kExitFailure;
    }
    if (!shell.window.hasContext()) dialogs().messageBox("", "wglCreateContext failed!", DialogKind::Ok);

    Scene& scene = theScene();
    ShellEvents events(shell, scene);
    shell.window.pumpEvents(events);
    shell.controls.quitRequested = false;

    int exitCode = 0;
    if (runStartup(shell, scene, exitCode) && !shell.controls.quitRequested) exitCode = runLoop(shell, scene);

    render::deleteFont(shell.fontBase);
    shell.window.close();
    setDialogs(nullptr);
    return exitCode;
}
