// app/shell/viewer.cpp -- the run of the windowed viewer: window, start-up, loop, shutdown.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>

#include "base/debug_log.h"
#include "base/dialogs.h"
#include "base/file_open.h"
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
    bool rawEvent(const void* sdlEvent) override { return shell_.panel.offerEvent(sdlEvent); }
    // Dropped files load between frames, as the panel's commands do.
    void filesDropped(const std::vector<std::string>& files) override {
        shell_.loads->dropFiles(files);
        shell_.panelLogic->refresh();
    }

private:
    Shell& shell_;
    Scene& scene_;
};

bool wantsHeadless(const ViewerOptions& options) { return options.headless || !displayAvailable(); }

// The screenshot is named relative to where the program was started, not the scene folder. A
// model file given instead of a folder must exist.
bool enterDirectory(ViewerOptions& options) {
    if (!options.screenshotFile.empty())
        options.screenshotFile = std::filesystem::absolute(options.screenshotFile).string();
    if (!options.panelShotFile.empty())
        options.panelShotFile = std::filesystem::absolute(options.panelShotFile).string();
    for (std::string& file : options.drops) file = std::filesystem::absolute(file).string();
    if (!options.modelFile.empty() && !std::filesystem::is_regular_file(resolvePath(options.modelFile))) {
        fprintf(stderr, "ostrelle: cannot open %s\n", options.modelFile.c_str());
        return false;
    }
    if (options.directory.empty()) return true;
    if (chdir(options.directory.c_str()) == 0) return true;
    fprintf(stderr, "ostrelle: cannot enter %s: %s\n", options.directory.c_str(), strerror(errno));
    return false;
}

bool writeScreenshots(const Shell& shell) {
    const platform::SdlWindow& w = shell.window;
    bool written = true;
    if (!writeRenderRegionPng(shell.options.screenshotFile, w.renderWidth(), w.renderHeight())) {
        fprintf(stderr, "ostrelle: cannot write %s\n", shell.options.screenshotFile.c_str());
        written = false;
    }
    const std::string& strip = shell.options.panelShotFile;
    const int stripWidth = w.clientWidth() - w.renderWidth();
    if (!strip.empty() && !writeWindowRegionPng(strip, w.renderWidth(), stripWidth, w.clientHeight())) {
        fprintf(stderr, "ostrelle: cannot write %s\n", strip.c_str());
        written = false;
    }
    return written;
}

// The frame loop; returns when the user quits or the screenshot is written.
int runLoop(Shell& shell, Scene& scene, ShellEvents& events) {
    for (const std::string& file : shell.options.drops) shell.window.queueDrop(file);
    int exitCode = 0;
    while (true) {
        shell.window.pumpEvents(events);
        if (shell.controls.quitRequested) break;
        runFrame(shell, scene);
        // The screenshot shows the last frame: the N-th, or the one in which the user quit.
        bool lastFrame = shell.frameNumber >= shell.options.frames || shell.controls.quitRequested;
        if (!shell.options.screenshotFile.empty() && lastFrame) {
            if (!writeScreenshots(shell)) exitCode = kExitFailure;
            shell.controls.quitRequested = true;
        }
        shell.window.swapBuffers();
        shell.controls.keys.clearPressed();
        if (shell.controls.quitRequested) break;
    }
    return exitCode;
}

} // namespace

// The panel and the choosers behind the dialog interface; the console's answers under
// --no-dialogs or without a display.
void openPanel(Shell& shell, Scene& scene, bool withDialogs) {
    shell.commands = std::make_unique<ShellCommands>(shell, scene);
    shell.loads = std::make_unique<ui::LoadCommands>(scene, shell.commands.get());
    shell.panelLogic = std::make_unique<ui::PanelLogic>(scene, *shell.loads, *shell.commands);
    shell.panel.open(shell.window, static_cast<ui::PanelPage>(shell.options.panelPage));
    if (!withDialogs) return;
    shell.panelDialogs = std::make_unique<ui::PanelDialogs>(shell.panel, shell.controls.dialogJustClosed,
                                                            shell.options.consoleMessages);
    setDialogs(shell.panelDialogs.get());
}

int runViewer(const ViewerOptions& given) {
    Shell shell;
    shell.options = given;
    if (!enterDirectory(shell.options)) return kExitFailure;
    openDebugLog();

    // Without a display only a screenshot run gets here (see checkViewerCanShow).
    bool headless = wantsHeadless(shell.options);
    int width = shell.options.hasSize ? shell.options.width : 640 - platform::panelWidth;
    int height = shell.options.hasSize ? shell.options.height : 480;
    std::string error;
    if (!shell.window.open("Ostrelle by tamsk", width, height, headless, error)) {
        fprintf(stderr, "ostrelle: %s\n", error.c_str());
        return kExitFailure;
    }
    if (!shell.window.hasContext()) dialogs().messageBox("", "wglCreateContext failed!", DialogKind::Ok);

    Scene& scene = theScene();
    openPanel(shell, scene, !shell.options.noDialogs && !headless);
    ShellEvents events(shell, scene);
    shell.panel.setViewerEvents(&events);
    shell.window.pumpEvents(events);
    shell.controls.quitRequested = false;

    int exitCode = 0;
    if (runStartup(shell, scene, exitCode) && !shell.controls.quitRequested) exitCode = runLoop(shell, scene, events);

    render::deleteFont(shell.fontBase);
    setDialogs(nullptr);
    shell.panel.close();
    shell.window.close();
    return exitCode;
}
